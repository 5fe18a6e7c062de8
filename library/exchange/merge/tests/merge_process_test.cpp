// The merge of another library's site file: what it adds and skips, the files it must not
// touch, and how it ends early.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/exchange/merge/import_vornix.h"
#include "library/exchange/merge/merge_process.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/message_box.h"
#include "support/headless_window.h"
#include "support/import_fixture.h"
#include "support/library_fixture.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

namespace vx::test {
namespace {

QByteArray Digest(const QString &path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class MergeTest : public LibraryTest {
protected:
  MergeTest() {
    QDir().mkdir("other");
    TakeAll();
  }

  // Writes the other library's site file with `count` sites "http://other.example/<n>...",
  // each with a Site Info, and the sites given. Locations and descriptions fill their fields,
  // so that a few dozen sites make the file grow.
  void WriteOther(int count, const QList<QStringList> &more = {}) {
    SiteFile &other = MergeSource();
    other.setName(kOther);
    CREATE(other);
    OPEN(other);
    ASSERT_EQ(ERRORCODE(), 0);
    auto add = [&other](const QStringList &s) {
      CLEAR(other);
      ILOC().Location = s.value(0);
      ILOC().Description = s.value(1);
      ILOC().Category = s.value(2);
      ILOC().Rating = s.value(3).toInt();
      ILOC().Keyword = s.value(4);
      ILOC().SiteInfo = s.value(5);
      ADD(other);
      ASSERT_EQ(ERRORCODE(), 0);
    };
    for (int i = 0; i < count; ++i)
      add({QStringLiteral("http://other.example/%1/").arg(i, 3, 10, QChar(u'0')).leftJustified(255, u'x'),
           QString(100, u'd'), "Elsewhere", "3", "http", QStringLiteral("info %1").arg(i)});
    for (const QStringList &site : more)
      add(site);
    CLOSE(other);
  }

  int Merge(const QString &name, int cancelAfter = -1) {
    window_.cancelAfter = cancelAfter;
    ExchangeFileName = name;
    ImportURLProcess(window_.Runner());
    return GlobalResponse;
  }

  const QString kOther = QStringLiteral("other/URL_L.KYF");
  HeadlessWindow window_;
};

TEST_F(MergeTest, AddsNewSitesWithTheirSiteInfoAndSkipsDuplicates) {
  ASSERT_EQ(AddSite("http://known.example/", "Mine", "News"), 0);
  WriteOther(0, {{"HTTP://KNOWN.EXAMPLE/", "Theirs", "Tools", "9", "http", "their memo"},
                 {"gopher://hole.example/", "Hole", "Nowhere", "-3", "gopher", "deep"}});
  const QByteArray before = Digest(kOther);
  EXPECT_EQ(Merge(kOther), 1);
  EXPECT_TRUE(shown_.empty());
  const QStringList merged{"gopher://hole.example/|Hole|Nowhere|-3|gopher|deep",
                           "http://known.example/|Mine|News|0||"};
  EXPECT_EQ(NewSites(), merged);
  EXPECT_EQ(window_.last().texts, QStringList({"Processing Records", ""}));
  EXPECT_EQ(window_.last().lines.last(), "Process Completed");
  EXPECT_EQ(Digest(kOther), before);
  EXPECT_EQ(Merge(kOther), 1); // a second merge finds every site there already
  EXPECT_EQ(NewSites(), merged);
}

// A merged site's category that the library lacks is added by its name alone, so that no
// site is left outside the categories; one the library has (in any letter case) keeps its
// description, a site without one goes to "New", and a skipped site adds nothing.
TEST_F(MergeTest, AddsTheCategoriesOfTheSitesItMergesByNameAlone) {
  ASSERT_EQ(AddCategory("News"), 0);
  ReadCategory("News");
  CAT().Description = "Mine";
  PUT(Categories());
  ASSERT_EQ(AddSite("http://known.example/", "Mine", "News"), 0);
  WriteOther(0, {{"http://known.example/", "Theirs", "Skipped", "1", "http", ""},
                 {"http://a.example/", "A", "news", "1", "http", ""},
                 {"http://b.example/", "B", "Tools", "2", "http", ""},
                 {"http://c.example/", "C", "", "3", "http", ""},
                 {"http://d.example/", "D", "tools", "4", "http", ""}});
  EXPECT_EQ(Merge(kOther), 1);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(CategoryRows(), QStringList({"New:", "News:Mine", "Tools:"}));
  EXPECT_EQ(NewSites(), QStringList({"http://a.example/|A|news|1|http|", "http://b.example/|B|Tools|2|http|",
                                     "http://c.example/|C|New|3|http|", "http://d.example/|D|tools|4|http|",
                                     "http://known.example/|Mine|News|0||"}));
}

TEST_F(MergeTest, ReadsTheChosenFileOnlyAndNeverTheLibrarysOwn) {
  WriteOther(3);
  RecordingProgress progress;
  MergeProcess process(kOther, progress);
  ADD(MergeSource());
  EXPECT_EQ(ERRORCODE(), 5); // opened for reading only
  EXPECT_EQ(RunToEnd(process), 1);

  EXPECT_EQ(Merge("missing/url_l.kyf"), 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "File Access Error");
  EXPECT_FALSE(QFile::exists("missing/url_l.kyf"));

  // Merged into itself, the file would read its own new sites without end.
  QFile::remove(kOther);
  QFile::link(QDir::current().filePath("URL_L.KYF"), kOther);
  for (const QString &name : {QStringLiteral("./URL_L.KYF"), kOther}) {
    shown_.clear();
    EXPECT_EQ(Merge(name), 2);
    ASSERT_EQ(shown_.size(), 1u) << name.toStdString();
    EXPECT_EQ(shown_[0].caption, "Cannot Import");
  }
  EXPECT_EQ(RECORDS(VORNIX()), 3);
  EXPECT_EQ(MergeSource().useCount, 0);
}

TEST_F(MergeTest, CancelKeepsTheBatchesDone) {
  WriteOther(40);
  EXPECT_EQ(Merge(kOther, 1), 2);
  const qint64 kept = RECORDS(VORNIX());
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, 40);
  EXPECT_EQ(Merge(kOther), 1);
  EXPECT_EQ(RECORDS(VORNIX()), 40);
}

TEST_F(MergeTest, FailedWriteEndsTheMergeWithItsBatchUndone) {
  WriteOther(60);
  answers_ = {BUTTON_IGNORE};
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  // The site file cannot grow, as on a full disk: the first batch that needs a new page fails.
  const rlimit small{rlim_t(QFile("URL_L.KYF").size() + 2000), limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  const int response = Merge(kOther);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, previous);

  EXPECT_EQ(response, 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_TRUE(shown_[0].text.startsWith("Error adding to URL_L.KYF: ")) << shown_[0].text.toStdString();
  EXPECT_EQ(shown_[0].buttons, BUTTON_ABORT | BUTTON_IGNORE);
  const qint64 kept = RECORDS(VORNIX());
  EXPECT_GT(kept, 0);
  EXPECT_EQ(kept % 3, 0) << "the three sites of a batch are kept or undone together";
  EXPECT_LT(kept, 60) << kept;
  EXPECT_EQ(Merge(kOther), 1);
  EXPECT_EQ(RECORDS(VORNIX()), 60);
}

} // namespace
} // namespace vx::test
