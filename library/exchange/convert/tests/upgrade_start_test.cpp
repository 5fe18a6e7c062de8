// The conversions as the program's start runs them: announced, offered again after a
// cancel, and not again once they went through.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/version_check.h"
#include "library/exchange/convert/upgrades.h"
#include "library/runtime/data/ini_file.h"
#include "support/gui_support.h"
#include "support/headless_window.h"
#include "support/library_fixture.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class UpgradeStartTest : public LibraryTest {
protected:
  UpgradeStartTest() {
    ResetGlobals();
    InstallUpgrades(window_.Runner());
  }
  ~UpgradeStartTest() override { Upgrades() = DefaultUpgradeSteps(); }

  QStringList Captions() const {
    QStringList captions;
    for (const MessageRequest &request : shown_)
      captions << request.caption;
    return captions;
  }

  TempSetup setup_;
  HeadlessWindow window_;
};

TEST_F(UpgradeStartTest, CancelledConversionIsOfferedAgainAtTheNextStart) {
  QList<OldSite> sites;
  for (int i = 0; i < 12; ++i)
    sites << OldSite{QStringLiteral("http://old.example/%1").arg(i), "Old", "Misc", 0, "http", ""};
  WriteOldSites(sites);
  WriteOldCategories({"Misc"});
  PUTINI("System", "Version", "1.4", "VORNIX.INI");

  window_.cancelAfter = 1; // Cancel is pressed after one batch: the one category goes across
  CheckDataVersion();
  EXPECT_EQ(window_.runs, 2);
  EXPECT_EQ(Captions(), QStringList{"New version detected!"});
  EXPECT_EQ(GETINI("System", "Version", "", "VORNIX.INI"), "1.4");
  EXPECT_TRUE(QFile::exists("VORNIX.KYF"));
  EXPECT_FALSE(QFile::exists("CATEGORI.KYF"));
  EXPECT_EQ(NewSites().size(), 5);

  shown_.clear();
  window_.cancelAfter = -1;
  CheckDataVersion();
  EXPECT_EQ(window_.runs, 3);
  // The announcement, then the note that the partly converted URL_L.KYF was kept aside.
  EXPECT_EQ(Captions(), QStringList({"New version detected!", "New version detected!"}));
  EXPECT_EQ(NewSites().size(), 12);
  EXPECT_TRUE(QFile::exists("URL_L.BAK"));
  EXPECT_FALSE(QFile::exists("VORNIX.KYF"));
  EXPECT_EQ(GETINI("System", "Version", "", "VORNIX.INI"), "1.5");
  EXPECT_EQ(VersionText, "1.5b");

  CheckDataVersion();
  EXPECT_EQ(window_.runs, 3);
}

} // namespace
} // namespace vx::test
