#include "library/core/dictionary.h"
#include "library/core/referential_integrity.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/thread_store.h"
#include "support/library_fixture.h"

#include <QFile>
#include <sqlite3.h>

namespace vx::test {
namespace {

class ReferentialIntegrityTest : public LibraryTest {
protected:
  void SetUp() override {
    TakeAll();
    ASSERT_EQ(AddCategory("News"), 0);
    ASSERT_EQ(AddCategory("Other"), 0);
    ASSERT_EQ(AddSnippet("News", "After Category"), 0);
    ASSERT_EQ(AddSnippet("news", "Before Category"), 0);
    ASSERT_EQ(AddSnippet("News", "Replace Title"), 0);
    ASSERT_EQ(AddSite("http://a/", "a", "News"), 0);
    ASSERT_EQ(AddSite("http://b/", "b", "news"), 0);
    ASSERT_EQ(AddSite("http://c/", "c", "News"), 0);
    ASSERT_EQ(AddSite("http://x/", "x", "Other"), 0);
  }

  // Every record of a file as "category/second field", in physical order.
  QStringList Snippets() {
    QStringList out;
    SET(CatHTML());
    for (NEXT(CatHTML()); ERRORCODE() == 0; NEXT(CatHTML()))
      out << HTM().Category.clipped() + "/" + HTM().TypeOfHTML.clipped();
    return out;
  }
  QStringList CategoryNames() {
    QStringList out;
    SET(Categories());
    for (NEXT(Categories()); ERRORCODE() == 0; NEXT(Categories()))
      out << CAT().Category.clipped();
    return out;
  }

  int Exec(const char *file, const char *sql) {
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(dir_.path() + "/" + file).constData(), &db);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
  }
};

// The delete takes the same children as the rename, case variants included: left behind,
// they would name a category that no longer exists.
TEST_F(ReferentialIntegrityTest, DeletingACategoryDeletesEveryChildIncludingCaseVariants) {
  ReadCategory("News");
  EXPECT_EQ(DeleteCategoryRecord(), 0);
  EXPECT_TRUE(shown_.empty());
  EXPECT_FALSE(InTransaction());
  EXPECT_EQ(CategoryNames(), QStringList{"Other"});
  EXPECT_TRUE(Snippets().isEmpty());
  EXPECT_EQ(Sites(), (QStringList{"Other/x"}));
  EXPECT_EQ(CatHTML().useCount, 1);
  EXPECT_EQ(VORNIX().useCount, 1);
}

TEST_F(ReferentialIntegrityTest, RenamingACategoryMovesEveryChildIncludingCaseVariants) {
  ReadCategory("News");
  SaveCategoryKey();
  CAT().Category = "Daily News";
  EXPECT_EQ(UpdateCategoryRecord(), 0);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(CategoryNames(), (QStringList{"Daily News", "Other"}));
  EXPECT_EQ(Snippets(), (QStringList{"Daily News/After Category", "Daily News/Before Category",
                                     "Daily News/Replace Title"}));
  EXPECT_EQ(Sites(), (QStringList{"Daily News/a", "Daily News/b", "Daily News/c", "Other/x"}));
}

TEST_F(ReferentialIntegrityTest, RenamingOntoAnotherCategoryIsRefusedAndChangesNothing) {
  ReadCategory("News");
  SaveCategoryKey();
  CAT().Category = "OTHER";
  EXPECT_EQ(UpdateCategoryRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text,
            "An error (Creates Duplicate Key (40)) was experienced when attempting to update a "
            "record from the file.  Probable Cause: Categories.");
  EXPECT_FALSE(InTransaction());
  EXPECT_EQ(CategoryNames(), (QStringList{"News", "Other"}));
  EXPECT_EQ(Sites(), (QStringList{"News/a", "news/b", "News/c", "Other/x"}));
}

TEST_F(ReferentialIntegrityTest, ChangingOnlyTheDescriptionWritesTheCategoryAlone) {
  ReadCategory("News");
  SaveCategoryKey();
  CAT().Description = "All the news";
  EXPECT_EQ(UpdateCategoryRecord(), 0);
  ReadCategory("News");
  EXPECT_EQ(CAT().Description.text(), "All the news");
  EXPECT_EQ(Sites(), (QStringList{"News/a", "news/b", "News/c", "Other/x"}));
}

TEST_F(ReferentialIntegrityTest, AFailingCascadeLeavesAllThreeFilesUnchanged) {
  ASSERT_EQ(Exec("URL_L.KYF", "CREATE TRIGGER refuse BEFORE DELETE ON records WHEN old.Description = 'c' "
                              "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
            SQLITE_OK);
  ReadCategory("News");
  EXPECT_EQ(DeleteCategoryRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(
      shown_[0].text,
      "An error (refused (1811)) was experienced when attempting to delete a record from the file VORNIX.");
  EXPECT_FALSE(InTransaction());
  EXPECT_EQ(CategoryNames(), (QStringList{"News", "Other"}));
  EXPECT_EQ(Snippets(), (QStringList{"News/After Category", "news/Before Category", "News/Replace Title"}));
  EXPECT_EQ(Sites(), (QStringList{"News/a", "news/b", "News/c", "Other/x"}));
}

TEST_F(ReferentialIntegrityTest, DeletingASiteWithABlankLocationDeletesThatSite) {
  ASSERT_EQ(AddSite("", "blank", "Other"), 0);
  const qint64 blank = POINTER(VORNIX());
  // The browse hands over the record it read; then the buffer is read by its pointer.
  GET(VORNIX(), blank);
  EXPECT_EQ(DeleteSiteRecord(), 0);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(Sites(), (QStringList{"News/a", "news/b", "News/c", "Other/x"}));
}

TEST_F(ReferentialIntegrityTest, ASiteDeletedMeanwhileIsReportedNotSilentlySkipped) {
  CLEAR(VORNIX());
  URL().Location = "http://x/";
  GET(VORNIX().K_Location);
  ASSERT_EQ(Exec("URL_L.KYF", "DELETE FROM records WHERE Location = 'http://x/'"), SQLITE_OK);
  EXPECT_EQ(DeleteSiteRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "An error (Record Not Found (35)) was experienced when attempting to delete a "
                            "record from the file VORNIX.");
}

TEST_F(ReferentialIntegrityTest, AChangeByAnotherStationIsRefusedAndLeavesTheFileUnchanged) {
  CLEAR(VORNIX());
  URL().Location = "http://a/";
  GET(VORNIX().K_Location);
  ASSERT_EQ(Exec("URL_L.KYF",
                 "UPDATE records SET Description = 'theirs', chg = chg + 1 WHERE Location = 'http://a/'"),
            SQLITE_OK);
  URL().Description = "mine";
  EXPECT_EQ(UpdateSiteRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "This record was changed by another station.");
  GET(VORNIX().K_Location);
  EXPECT_EQ(URL().Description.text(), "theirs");
}

TEST_F(ReferentialIntegrityTest, AFailureOnAnotherThreadDoesNotRollBackThisThreadsTransaction) {
  LOGOUT(2, {&VORNIX()});
  ASSERT_EQ(ERRORCODE(), 0);
  ASSERT_EQ(AddSite("http://mine/", "mine", "Other"), 0);

  ThreadStore other;
  SetCurrentThreadStore(&other);
  EXPECT_EQ(DeleteSiteRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text,
            "Error: (LOGOUT Already Active (56)) attempting to frame the delete transaction on "
            "VORNIX.  Delete transaction cancelled.");
  SaveErrorState();
  SetCurrentThreadStore(nullptr);

  EXPECT_TRUE(InTransaction());
  COMMIT();
  ASSERT_EQ(ERRORCODE(), 0);
  CLEAR(VORNIX());
  URL().Location = "http://mine/";
  GET(VORNIX().K_Location);
  EXPECT_EQ(ERRORCODE(), 0);
}

} // namespace
} // namespace vx::test
