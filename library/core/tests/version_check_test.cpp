#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/version_check.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/message_box.h"
#include "support/gui_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx {
namespace {

class VersionCheck : public ::testing::Test {
protected:
  void SetUp() override {
    ResetGlobals();
    previous_ = SetMessageHandler([this](const MessageRequest &request) {
      captions_ << request.caption;
      return BUTTON_OK;
    });
    Upgrades() = UpgradeSteps{[] { return true; },    [this] { return categoriesPresent_; },
                              [] { return false; },   Recorder("sites"),
                              Recorder("categories"), Recorder("cathtml")};
  }
  void TearDown() override {
    SetMessageHandler(previous_);
    Upgrades() = DefaultUpgradeSteps();
  }

  // A conversion that notes its run and answers whether it went through.
  std::function<bool()> Recorder(const QString &name) {
    return [this, name] {
      ran_ << name;
      return !cancelled_.contains(name);
    };
  }

  test::TempSetup setup_;
  MessageHandler previous_;
  QStringList captions_;
  QStringList ran_;
  QStringList cancelled_;
  bool categoriesPresent_ = true;
};

TEST_F(VersionCheck, OldFilesAreLeftAloneOnceTheVersionIsCurrent) {
  PUTINI("System", "Version", "1.5", "VORNIX.INI");
  CheckDataVersion();
  EXPECT_TRUE(ran_.isEmpty());
  EXPECT_TRUE(captions_.isEmpty());
  EXPECT_EQ("1.5b", VersionText);
}

TEST_F(VersionCheck, EarlierVersionConvertsThePresentOldFilesOnce) {
  PUTINI("System", "Version", "1.4", "VORNIX.INI");
  categoriesPresent_ = false;
  CheckDataVersion();
  EXPECT_EQ(QStringList({"New version detected!"}), captions_);
  EXPECT_EQ(QStringList({"sites"}), ran_);
  EXPECT_EQ("HTML - Table", GETINI("Export", "Type", "", "VORNIX.INI"));
  EXPECT_EQ("VORNEXP.HTM", GETINI("Export", "Name", "", "VORNIX.INI"));
  EXPECT_EQ("All", GETINI("Export", "Categories", "", "VORNIX.INI"));
  EXPECT_EQ("1.5", GETINI("System", "Version", "", "VORNIX.INI"));
  CheckDataVersion(); // the next start converts nothing
  EXPECT_EQ(QStringList({"sites"}), ran_);
}

TEST_F(VersionCheck, ConversionThatDidNotGoThroughIsOfferedAgainAtTheNextStart) {
  PUTINI("System", "Version", "1.4", "VORNIX.INI");
  cancelled_ << "categories";
  CheckDataVersion();
  EXPECT_EQ(QStringList({"sites", "categories"}), ran_);
  EXPECT_EQ("1.4", GETINI("System", "Version", "", "VORNIX.INI"));
  EXPECT_EQ("1.5b", VersionText);
  cancelled_.clear();
  CheckDataVersion();
  EXPECT_EQ(QStringList({"sites", "categories", "sites", "categories"}), ran_);
  EXPECT_EQ("1.5", GETINI("System", "Version", "", "VORNIX.INI"));
}

TEST_F(VersionCheck, OldFileWithoutItsConversionIsLeftForALaterStart) {
  PUTINI("System", "Version", "1.4", "VORNIX.INI");
  Upgrades().upgradeSites = nullptr;
  categoriesPresent_ = false;
  CheckDataVersion();
  EXPECT_TRUE(captions_.isEmpty());
  EXPECT_EQ("1.4", GETINI("System", "Version", "", "VORNIX.INI"));
}

TEST_F(VersionCheck, StartWithoutSettingsAndWithoutOldFilesOnlyWritesTheVersion) {
  Upgrades() = DefaultUpgradeSteps(); // looks for the old files in the empty working directory
  CheckDataVersion();
  EXPECT_TRUE(captions_.isEmpty());
  EXPECT_FALSE(QFile::exists("VORNIX.KYF")); // looking for a file does not create it
  EXPECT_EQ("1.5", GETINI("System", "Version", "", "VORNIX.INI"));
}

TEST_F(VersionCheck, OldFilesAreFoundInTheWorkingDirectory) {
  Upgrades() = DefaultUpgradeSteps();
  Upgrades().upgradeCategories = Recorder("categories");
  Upgrades().upgradeSites = Recorder("sites");
  CREATE(OldCategories());
  ASSERT_EQ(0, ERRORCODE());
  PUTINI("System", "Version", "1.4", "VORNIX.INI");
  CheckDataVersion();
  EXPECT_EQ(QStringList({"categories"}), ran_);
  EXPECT_TRUE(captions_.isEmpty()); // only the old site file is announced
}

} // namespace
} // namespace vx
