#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace ql {
namespace {

using namespace browser_keys;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

// A browser stand-in: a script that writes the words it was started with into a file.
class BrowserLaunchTest : public ::testing::Test {
protected:
  BrowserLaunchTest() : registry_(dir_.filePath("registry.reg")), settings_(kQuenlarkSettingsKey, registry_) {
    ResetEngineState();
    QDir().mkpath(dir_.filePath("netscape/Program"));
    browser_ = dir_.filePath("netscape/Program/Netscape.exe");
    QFile script(browser_);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > \"$OUT.tmp\"\n"
                 "echo >> \"$OUT.tmp\"\nmv \"$OUT.tmp\" \"$OUT\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    qputenv("OUT", Out().toLocal8Bit());
  }
  ~BrowserLaunchTest() override { ResetEngineState(); }

  QString Out() const { return dir_.filePath("browser-words.txt"); }

  // The words the browser was started with, waiting for it; the file is then removed.
  QByteArray Words() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
      QFile file(Out());
      if (file.open(QIODevice::ReadOnly)) {
        const QByteArray words = file.readAll().trimmed();
        file.remove();
        return words;
      }
      QThread::msleep(20);
    }
    return "(not started)";
  }

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile settings_;
  TBrowserConfig config_{registry_, settings_};
  QString browser_;
  RecordingDialogSink dialogs_;
};

TEST_F(BrowserLaunchTest, TheLocatedBrowserGetsTheBookmarksPageOrOnceTheNews) {
  registry_.WriteString(kUser, kNetscapeMainKey, "Install Directory", dir_.filePath("netscape"));
  EXPECT_TRUE(config_.NetscapeInstalled());
  EXPECT_GE(config_.LaunchBrowser(), 32u);
  EXPECT_EQ(Words(), "http://quenlark.invalid/bookmarks|");

  settings_.WriteBool("General", "NewsUpdated", true);
  config_.LaunchBrowser();
  EXPECT_EQ(Words(), "http://news.quenlark.invalid/news.html|");
  EXPECT_FALSE(settings_.ReadBool("General", "NewsUpdated", true));
  config_.LaunchBrowser();
  EXPECT_EQ(Words(), "http://quenlark.invalid/bookmarks|");

  PlainBrowserStart = true;
  config_.LaunchBrowser();
  PlainBrowserStart = false;
  EXPECT_EQ(Words(), "");
  EXPECT_TRUE(dialogs_.Requests().empty());
}

TEST_F(BrowserLaunchTest, StartingTheBrowserPointsItAtTheProxyFirst) {
  registry_.WriteString(kUser, kNetscapeMainKey, "Install Directory", dir_.filePath("netscape"));
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, 3128);
  EngineSettings.HTTPProxyPort = 4321;
  TNoBrowserDde noDde;
  config_.StartBrowser(noDde);
  EXPECT_EQ(Words(), "http://quenlark.invalid/bookmarks|");
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "127.0.0.1");
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 4321u);
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kProxyType), 1u);
  EXPECT_EQ(registry_.ReadString(kUser, kSavedProxyKey, kHttpProxy), "proxy.example");

  // Without locating, the command of BrowserPath runs as written, with the page after it.
  EngineSettings.AutoLocateBrowser = false;
  settings_.WriteString("General", "BrowserPath", browser_ + " --proxy-server=127.0.0.1:4321");
  config_.StartBrowser(noDde);
  EXPECT_EQ(Words(), "--proxy-server=127.0.0.1:4321|http://quenlark.invalid/bookmarks|");
}

TEST_F(BrowserLaunchTest, ABrowserThatDoesNotStartIsReported) {
  // None located: the command line is the page's address alone, which names no program.
  EXPECT_EQ(config_.LaunchBrowser(), 3u);
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_EQ(dialogs_.Requests()[0].text, "Unenable to start browser. Error code 3.");
  EXPECT_EQ(dialogs_.Requests()[0].kind, DialogKind::Error);
}

} // namespace
} // namespace ql
