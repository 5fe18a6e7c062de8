#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

using namespace browser_keys;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

class BrowserProxyTest : public ::testing::Test {
protected:
  BrowserProxyTest() : registry_(dir_.filePath("registry.reg")), settings_(kQuenlarkSettingsKey, registry_) {
    ResetEngineState();
  }
  ~BrowserProxyTest() override { ResetEngineState(); }

  // An Internet Explorer executable dated in the given year.
  void InstallIE(int year) {
    EngineSettings.UseIExplore = true;
    const QString dir = dir_.filePath("ie");
    QDir().mkpath(dir);
    registry_.WriteString(RegistryRoot::LocalMachine, kIEAppPathsKey, "Path", dir + ";");
    QFile exe(dir + "/iexplore.exe");
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.setFileTime(QDateTime(QDate(year, 6, 1), QTime(12, 0)), QFileDevice::FileModificationTime);
  }

  QString Saved(const QString &name) const {
    if (name == kHttpProxy)
      return registry_.ReadString(kUser, kSavedProxyKey, name);
    return QString::number(registry_.ReadDword(kUser, kSavedProxyKey, name));
  }

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile settings_;
  TBrowserConfig browser_{registry_, settings_};
};

TEST_F(BrowserProxyTest, InternetExplorerRoundTripWithItsProxyTexts) {
  InstallIE(1997);
  EXPECT_TRUE(browser_.IsNewBrowser());
  EXPECT_EQ(browser_.GetIEPath(), dir_.filePath("ie") + "\\iexplore.exe");
  EXPECT_TRUE(browser_.IEInstalled());
  EXPECT_FALSE(browser_.NetscapeInstalled());

  registry_.WriteString(kUser, kIESettingsKey, kProxyServer, " http=192.168.0.1:8080");
  registry_.WriteBinary(kUser, kIESettingsKey, kProxyEnable, QByteArray("\x01\x00\x00\x00", 4));
  EXPECT_FALSE(browser_.BrowserProxyIsLocal());
  browser_.SaveBrowserProxy();
  EXPECT_EQ(Saved(kHttpProxy), "192.168.0.1");
  EXPECT_EQ(Saved(kHttpProxyPort), "8080");
  EXPECT_EQ(Saved(kProxyType), "1");

  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  EXPECT_EQ(registry_.ReadString(kUser, kIESettingsKey, kProxyServer), "http=127.0.0.1:1234");
  EXPECT_EQ(registry_.ReadDword(kUser, kIESettingsKey, kProxyEnable), 1u);
  EXPECT_TRUE(browser_.BrowserProxyIsLocal());

  browser_.RestoreBrowserProxy();
  EXPECT_EQ(registry_.ReadString(kUser, kIESettingsKey, kProxyServer), "http=192.168.0.1:8080");
  EXPECT_EQ(registry_.ReadDword(kUser, kIESettingsKey, kProxyEnable), 1u);
  EXPECT_FALSE(registry_.KeyExists(kUser, kSavedProxyKey));

  // An executable from before May 1996 takes the proxy text without "http=".
  InstallIE(1995);
  EXPECT_FALSE(browser_.IsNewBrowser());
  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  EXPECT_EQ(registry_.ReadString(kUser, kIESettingsKey, kProxyServer), "127.0.0.1:1234");
}

TEST_F(BrowserProxyTest, NetscapeRoundTripAndNothingToRestoreBeforeASave) {
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, 3128);
  registry_.WriteDword(kUser, kNetscapeProxyKey, kProxyType, 1);
  browser_.RestoreBrowserProxy();
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");

  browser_.SaveBrowserProxy();
  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "127.0.0.1");
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 1234u);
  EXPECT_TRUE(browser_.BrowserProxyIsLocal());
  browser_.RestoreBrowserSettings();
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 3128u);
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kProxyType), 1u);
  // A second restore finds nothing saved and changes nothing.
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "changed.by.user");
  browser_.RestoreBrowserSettings();
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "changed.by.user");
}

TEST_F(BrowserProxyTest, ABrowserWithoutAProxyGetsNoneBack) {
  // Netscape with no proxy values at all.
  browser_.SaveBrowserProxy();
  EXPECT_EQ(Saved(kHttpProxy), "none");
  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  browser_.RestoreBrowserProxy();
  EXPECT_FALSE(registry_.ValueExists(kUser, kNetscapeProxyKey, kHttpProxy));
  EXPECT_FALSE(registry_.ValueExists(kUser, kNetscapeProxyKey, kHttpProxyPort));
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kProxyType), 0u);

  // Internet Explorer with no proxy text: the switch goes back off and the text away.
  InstallIE(1997);
  browser_.SaveBrowserProxy();
  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  browser_.RestoreBrowserProxy();
  EXPECT_FALSE(registry_.ValueExists(kUser, kIESettingsKey, kProxyServer));
  EXPECT_EQ(registry_.ReadDword(kUser, kIESettingsKey, kProxyEnable), 0u);
}

TEST_F(BrowserProxyTest, ARecordLeftByARunThatDidNotRestoreIsKeptAndRestoredLater) {
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, 3128);
  browser_.SaveBrowserProxy();
  browser_.SetBrowserProxy("127.0.0.1", 1234, kManualProxy);
  // The run ends without restoring. The next run's browser start saves again: the saved
  // record is the browser's own proxy, not the proxy's address.
  TBrowserConfig nextRun(registry_, settings_);
  registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, "localhost");
  nextRun.SaveBrowserProxy();
  EXPECT_EQ(Saved(kHttpProxy), "proxy.example");
  nextRun.RestoreBrowserProxy();
  EXPECT_EQ(registry_.ReadString(kUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");
  EXPECT_EQ(registry_.ReadDword(kUser, kNetscapeProxyKey, kHttpProxyPort), 3128u);
}

TEST_F(BrowserProxyTest, LocatingNetscapeAndSavingThePaths) {
  registry_.WriteString(kUser, kNetscapeMainKey, "Install Directory", "C:\\Netscape");
  registry_.WriteString(kUser, kNetscapeCacheKey, "Cache Dir", "C:\\Netscape\\Cache");
  EXPECT_EQ(browser_.GetBrowserPath(), "C:\\Netscape\\Program\\Netscape.exe");
  EXPECT_EQ(browser_.GetBrowserExeDate(), 0);
  browser_.SaveBrowserPaths();
  EXPECT_EQ(settings_.ReadString("General", "BrowserPath", ""), "C:\\Netscape\\Program\\Netscape.exe");
  EXPECT_EQ(settings_.ReadString("General", "BrowserCachePath", ""), "C:\\Netscape\\Cache");
  EXPECT_EQ(settings_.ReadString("General", "BrowserBookmarksPath", "kept"), "kept");
}

class CountingDde : public TNoBrowserDde {
public:
  QStringList services;
  QString answering;
  bool OpenLink(const QString &service, const QString &topic) override {
    EXPECT_EQ(topic, "WWW_GetWindowInfo");
    services << service;
    return service == answering;
  }
};

TEST(BrowserDde, TheProbeTriesTheServiceNamesInTheirCycle) {
  EXPECT_EQ(NextDDEServiceName("NETSCAPE"), "IEXPLORE");
  EXPECT_EQ(NextDDEServiceName("IEXPLORE"), "MOSAIC");
  EXPECT_EQ(NextDDEServiceName("MOSAIC"), "NETSCAPE");
  CountingDde dde;
  DDEServiceName = "NETSCAPE";
  dde.answering = "MOSAIC";
  EXPECT_TRUE(GetBrowserWindowInfo(dde));
  EXPECT_EQ(dde.services, QStringList({"NETSCAPE", "IEXPLORE", "MOSAIC"}));
  EXPECT_EQ(DDEServiceName, "MOSAIC");
  dde.answering.clear();
  EXPECT_FALSE(GetBrowserWindowInfo(dde));
  EXPECT_EQ(DDEServiceName, "MOSAIC");
  DDEServiceName = "NETSCAPE";
}

} // namespace
} // namespace ql
