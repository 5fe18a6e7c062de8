// The conversions of files written in the earlier layout: the records in their wider
// fields, the byte budget of a batch, and the new files that must not lose what they held.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/exchange/convert/upgrade_process.h"
#include "library/exchange/convert/upgrades.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/message_box.h"
#include "support/headless_window.h"
#include "support/library_fixture.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class UpgradeTest : public LibraryTest {
protected:
  // `count` old sites "http://old.example/<n>" without Site Info.
  static QList<OldSite> Numbered(int count) {
    QList<OldSite> sites;
    for (int i = 0; i < count; ++i)
      sites << OldSite{
          QStringLiteral("http://old.example/%1").arg(i, 2, 10, QChar(u'0')), "Old", "Misc", 1, "http", ""};
    return sites;
  }

  HeadlessWindow window_;
};

TEST_F(UpgradeTest, SitesKeepEveryCharacterInTheirWiderFields) {
  const QString longLocation = "http://long.example/" + QString(108, u'x');
  ASSERT_EQ(longLocation.size(), 128);
  WriteOldSites({{longLocation, QString(60, u'd'), "Fifteen letters", 99, "http", QString(500, u'i')},
                 {"mailto:me@x.example", "Mail", "", -5, "mailto:", "note"}});
  EXPECT_TRUE(UpgradeVORNIX(window_.Runner()));
  EXPECT_EQ(GlobalResponse, 1);
  EXPECT_EQ(NewSites(), QStringList({longLocation + "|" + QString(60, u'd') + "|Fifteen letters|99|http|" +
                                         QString(500, u'i'),
                                     "mailto:me@x.example|Mail||-5|mailto:|note"}));
  EXPECT_FALSE(QFile::exists("VORNIX.KYF"));
  EXPECT_EQ(window_.last().texts, QStringList({"Processing Records", "Upgrading Location File"}));
  EXPECT_EQ(window_.last().lines.last(), "Process Completed");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(UpgradeTest, CategoriesAndSnippetsAreConverted) {
  WriteOldCategories({"News", "Tools"});
  WriteOldSnippets({{"News", "Before Category", "<p>news</p>"}, {"_After All", "After Category", "<hr>"}});
  EXPECT_TRUE(UpgradeCategories(window_.Runner()));
  EXPECT_EQ(window_.last().texts.last(), "Upgrading Category File");
  EXPECT_TRUE(UpgradeCatHTML(window_.Runner()));
  EXPECT_EQ(window_.last().texts.last(), "Upgrading HTML File");
  EXPECT_FALSE(QFile::exists("CATEGORI.KYF"));
  EXPECT_FALSE(QFile::exists("CATHTML.KYF"));

  TakeAll();
  EXPECT_EQ(RECORDS(Categories()), 2);
  ReadCategory("tools");
  EXPECT_TRUE(CAT().Description.isBlank());
  CLEAR(CatHTML());
  HTM().Category = "_after all";
  HTM().TypeOfHTML = "After Category";
  GET(CatHTML().KeyCategoryHTML);
  EXPECT_EQ(HTM().HTMLtoAdd.text(), "<hr>");
}

TEST_F(UpgradeTest, BatchesCountTheBytesOfEachRecord) {
  // An old site without Site Info counts 128 + 60 + 15 + 4 + 10 = 217 bytes: a batch stops
  // at the fifth record read, having copied five.
  WriteOldSites(Numbered(12));
  EXPECT_TRUE(UpgradeVORNIX(window_.Runner()));
  EXPECT_EQ(window_.steps, 3); // the first record read, then 5 + 5 + 2 copied
  EXPECT_EQ(
      window_.last().lines,
      QStringList({"0% Completed", "  8% Completed", " 16% Completed", " 25% Completed", " 33% Completed",
                   " 41% Completed", " 50% Completed", " 58% Completed", " 66% Completed", " 75% Completed",
                   " 83% Completed", " 91% Completed", "100% Completed", "Process Completed"}));
}

TEST_F(UpgradeTest, EmptyOldFileLeavesANewFileThatHoldsData) {
  TakeFile(VORNIX());
  ASSERT_EQ(AddSite("http://new.example/", "New", "News"), 0);
  ReleaseFile(VORNIX());
  WriteOldSites({});
  EXPECT_TRUE(UpgradeVORNIX(window_.Runner())); // nothing was left to convert
  EXPECT_EQ(GlobalResponse, 2);
  EXPECT_TRUE(QFile::exists("VORNIX.KYF"));
  EXPECT_EQ(NewSites(), QStringList{"http://new.example/|New|News|0||"});

  QFile::remove("URL_L.KYF");
  EXPECT_TRUE(UpgradeVORNIX(window_.Runner()));
  EXPECT_TRUE(QFile::exists("URL_L.KYF"));
  EXPECT_TRUE(NewSites().isEmpty());
  EXPECT_TRUE(shown_.empty());
}

TEST_F(UpgradeTest, NewFileThatHoldsDataIsKeptAsideFirst) {
  TakeFile(VORNIX());
  ASSERT_EQ(AddSite("http://new.example/", "New", "News"), 0);
  ReleaseFile(VORNIX());
  QFile("URL_L.BAK").open(QIODevice::WriteOnly); // an earlier backup is never overwritten
  WriteOldSites(Numbered(2));
  EXPECT_TRUE(UpgradeVORNIX(window_.Runner()));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text,
            "URL_L.KYF already held data.  It was kept as URL_L.B01, and the conversion writes "
            "a new URL_L.KYF.");
  EXPECT_EQ(NewSites().size(), 2);
  EXPECT_EQ(QFile("URL_L.BAK").size(), 0);

  VORNIX().setName("URL_L.B01");
  EXPECT_EQ(NewSites(), QStringList{"http://new.example/|New|News|0||"});
  VORNIX().setName("URL_L.KYF");
}

TEST_F(UpgradeTest, CancelKeepsTheOldFileAndTheSitesCopiedSoFar) {
  WriteOldSites(Numbered(12));
  window_.cancelAfter = 1;
  EXPECT_FALSE(UpgradeVORNIX(window_.Runner()));
  EXPECT_EQ(GlobalResponse, 2);
  EXPECT_TRUE(QFile::exists("VORNIX.KYF"));
  EXPECT_EQ(NewSites().size(), 5);
}

} // namespace
} // namespace vx::test
