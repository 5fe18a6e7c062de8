#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/thread_store.h"
#include "support/library_fixture.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

namespace vx::test {
namespace {

class DictionaryTest : public LibraryTest {
protected:
  void SetUp() override { TakeAll(); }

  // The locations of the site file in the order of `key`.
  QStringList Locations(const Key &key) {
    QStringList out;
    SET(key);
    for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX()))
      out << URL().Location.clipped();
    EXPECT_EQ(ERRORCODE(), 33);
    return out;
  }
};

TEST_F(DictionaryTest, FirstStartCreatesTheFourFilesWithoutAQuestion) {
  for (const char *name : {"URL_L.KYF", "URL_C.KYF", "URL_H.KYF", "URL_Y.KYF"})
    EXPECT_TRUE(QFile::exists(dir_.path() + "/" + name)) << name;
  EXPECT_TRUE(shown_.empty());
}

TEST_F(DictionaryTest, LocationsDifferingInCaseAreDuplicatesAndBlankOnesAreLeftOut) {
  ASSERT_EQ(AddSite("http://a.example/", "A", "News"), 0);
  EXPECT_EQ(AddSite("HTTP://A.EXAMPLE/", "A again", "News"), 40);
  ASSERT_EQ(AddSite("", "first blank", "News"), 0);
  ASSERT_EQ(AddSite("", "second blank", "News"), 0);
  EXPECT_EQ(Locations(VORNIX().K_Location), QStringList{"http://a.example/"});
  EXPECT_EQ(RECORDS(VORNIX()), 3);
}

TEST_F(DictionaryTest, BlankCategoriesStayInTheCategoryKeys) {
  ASSERT_EQ(AddSite("http://b/", "B", ""), 0);
  ASSERT_EQ(AddSite("", "blank both", ""), 0);
  ASSERT_EQ(AddSite("http://c/", "C", "Zed"), 0);
  EXPECT_EQ(Locations(VORNIX().K_Category), (QStringList{"http://b/", "", "http://c/"}));
  EXPECT_EQ(Locations(VORNIX().K_CategoryLocation), (QStringList{"http://b/", "http://c/"}));
  EXPECT_EQ(Locations(VORNIX().K_Location), (QStringList{"http://b/", "http://c/"}));
}

TEST_F(DictionaryTest, RatingsDescendThenDescriptionThenLocation) {
  ASSERT_EQ(AddSite("http://3/", "beta", "", 5), 0);
  ASSERT_EQ(AddSite("http://1/", "Alpha", "", 5), 0);
  ASSERT_EQ(AddSite("http://0/", "alpha", "", 5), 0);
  ASSERT_EQ(AddSite("http://9/", "zz", "", 9), 0);
  ASSERT_EQ(AddSite("http://n/", "aa", "", -3), 0);
  EXPECT_EQ(Locations(VORNIX().K_Rating),
            (QStringList{"http://9/", "http://0/", "http://1/", "http://3/", "http://n/"}));
}

TEST_F(DictionaryTest, HistoryListsEachTypeNewestFirst) {
  auto add = [](const char *type, const char *name, int date, int time) {
    CLEAR(History());
    HIS().Type = type;
    HIS().FieldContents = name;
    HIS().Date = date;
    HIS().Time = time;
    ADD(History());
    return ERRORCODE();
  };
  ASSERT_EQ(add("Import", "old.txt", 100, 500), 0);
  ASSERT_EQ(add("Import", "newer.txt", 101, 100), 0);
  ASSERT_EQ(add("Import", "newest.txt", 101, 200), 0);
  ASSERT_EQ(add("Export", "out.htm", 50, 0), 0);
  EXPECT_EQ(add("import", "newest.txt", 101, 200), 40);

  QStringList names;
  SET(History().KeyType);
  for (NEXT(History()); ERRORCODE() == 0; NEXT(History()))
    names << HIS().Type.clipped() + ":" + HIS().FieldContents.clipped();
  EXPECT_EQ(names,
            (QStringList{"Export:out.htm", "Import:newest.txt", "Import:newer.txt", "Import:old.txt"}));
}

TEST_F(DictionaryTest, EachThreadHasItsOwnRecordBuffers) {
  ASSERT_EQ(AddSite("http://mine/", "mine", "A"), 0);
  ThreadStore other;
  SetCurrentThreadStore(&other);
  EXPECT_TRUE(URL().Location.isBlank());
  EXPECT_EQ(POINTER(VORNIX()), 0);
  ASSERT_EQ(AddSite("http://theirs/", "theirs", "B"), 0);
  SetCurrentThreadStore(nullptr);
  EXPECT_EQ(URL().Location.text(), "http://mine/");
  URL().Description = "changed";
  PUT(VORNIX());
  ASSERT_EQ(ERRORCODE(), 0);
  SetCurrentThreadStore(&other);
  EXPECT_EQ(URL().Description.text(), "theirs");
  SetCurrentThreadStore(nullptr);
}

TEST_F(DictionaryTest, UseCountsKeepAFileOpenUntilItsLastUserLeaves) {
  EXPECT_EQ(VORNIX().useCount, 1);
  TakeFile(VORNIX());
  EXPECT_EQ(VORNIX().useCount, 2);
  ReleaseFile(VORNIX());
  EXPECT_TRUE(VORNIX().isOpen());
  ReleaseFile(VORNIX());
  EXPECT_FALSE(VORNIX().isOpen());
  TakeFile(VORNIX());
  EXPECT_TRUE(VORNIX().isOpen());
}

class OpenDataFileTest : public LibraryTest {
protected:
  // Makes the categories file hold "News" and then loses one of its key indexes.
  void DropCategoryIndex() {
    TakeFile(Categories());
    ASSERT_EQ(AddCategory("News"), 0);
    ReleaseFile(Categories());
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(dir_.path() + "/URL_C.KYF").constData(), &db);
    ASSERT_EQ(sqlite3_exec(db, "DROP INDEX key_K_Category", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
};

TEST_F(OpenDataFileTest, StaleKeysAreRebuiltWhenTheUserAgrees) {
  DropCategoryIndex();
  answers_ = {BUTTON_YES};
  TakeFile(Categories());
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "URL_C.KYF key file is invalid.  Do you want to rebuild the key?");
  EXPECT_TRUE(Categories().isOpen());
  CLEAR(Categories());
  CAT().Category = "NEWS";
  GET(Categories().K_Category);
  EXPECT_EQ(ERRORCODE(), 0);
}

TEST_F(OpenDataFileTest, StaleKeysEndTheProgramWhenTheUserDeclines) {
  DropCategoryIndex();
  answers_ = {BUTTON_NO};
  try {
    TakeFile(Categories());
    ADD_FAILURE() << "the program went on";
  } catch (const HaltRequest &halt) {
    EXPECT_EQ(halt.text, "Invalid Key!");
  }
  EXPECT_FALSE(Categories().isOpen());
}

TEST_F(OpenDataFileTest, ForeignFileEndsTheProgramWithInvalidFile) {
  QFile foreign(dir_.path() + "/URL_C.KYF");
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
  foreign.write("an old data file of another format");
  foreign.close();
  EXPECT_THROW(TakeFile(Categories()), HaltRequest);
  ASSERT_GE(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Invalid File");
  EXPECT_EQ(
      shown_[0].text,
      "Error: (Invalid Record Declaration (47)) accessing URL_C.KYF.  Press OK to end this application.");
  EXPECT_EQ(Categories().useCount, 0);
}

TEST_F(OpenDataFileTest, AFileThatCannotBeCreatedEndsTheProgram) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("URL_C.KYF"));
  try {
    TakeFile(Categories());
    ADD_FAILURE() << "the program went on";
  } catch (const HaltRequest &halt) {
    EXPECT_EQ(halt.text, "File Creation Error!");
  }
  ASSERT_GE(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "File Creation Error");
  EXPECT_EQ(shown_[0].text,
            "Error: (Is a directory (21)) creating URL_C.KYF.  Press OK to end this application.");
}

TEST_F(OpenDataFileTest, UserNamedFilesThatAreMissingGetMessage30AndAreNotCreated) {
  MergeSource().setName(dir_.path() + "/missing.KYF");
  EXPECT_FALSE(TakeUserFile(MergeSource()));
  EXPECT_EQ(MergeSource().useCount, 0);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "File Access Error");
  EXPECT_EQ(shown_[0].text,
            "File (" + dir_.path() + "/missing.KYF) could not be opened.  Error: File Not Found (2).");
  EXPECT_FALSE(QFile::exists(dir_.path() + "/missing.KYF"));

  ASC().SetName(dir_.path() + "/import.txt");
  EXPECT_FALSE(TakeUserFile(ASC(), LineFile::Access::ReadOnly, false));
  EXPECT_FALSE(QFile::exists(dir_.path() + "/import.txt"));

  OUT().SetName(dir_.path() + "/export.htm");
  EXPECT_TRUE(TakeUserFile(OUT(), LineFile::Access::ReadWrite, true));
  EXPECT_TRUE(QFile::exists(dir_.path() + "/export.htm"));
  EXPECT_EQ(OUT().useCount, 1);
  ReleaseFile(OUT());
  EXPECT_FALSE(OUT().IsOpen());
}

TEST_F(OpenDataFileTest, AnotherLibrarysSiteFileOpensAsTheMergeSource) {
  TakeFile(VORNIX());
  ASSERT_EQ(AddSite("http://merge.example/", "M", "News"), 0);
  ReleaseFile(VORNIX());
  MergeSource().setName("URL_L.KYF");
  ASSERT_TRUE(TakeUserFile(MergeSource()));
  SET(MergeSource().K_Location);
  NEXT(MergeSource());
  EXPECT_EQ(ILOC().Location.text(), "http://merge.example/");
  ReleaseFile(MergeSource());
}

} // namespace
} // namespace vx::test
