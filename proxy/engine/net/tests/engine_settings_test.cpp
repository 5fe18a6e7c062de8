#include "proxy/engine/net/engine_settings.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

class EngineSettingsTest : public ::testing::Test {
protected:
  QTemporaryDir dir_;
  Registry registry_{dir_.filePath("registry.reg")};
  TRegIniFile store_{kQuenlarkSettingsKey, registry_};
};

TEST_F(EngineSettingsTest, MissingValuesGiveTheDefaultsAndTheProxyListensLocallyByDefault) {
  int commandLineRuns = 0;
  const TEngineSettings s = ReadEngineSettings(store_, [&] { ++commandLineRuns; });
  EXPECT_EQ(commandLineRuns, 1);
  EXPECT_EQ(s.HTTPProxyPort, 1234);
  EXPECT_EQ(s.MaxCacheSize, 5242880);
  EXPECT_EQ(s.MaxCacheItemSize, 204800);
  EXPECT_TRUE(s.UseLoopback);
  EXPECT_EQ(s.UserAgent, "Quenlark/16.2");
  EXPECT_EQ(s.ProxyIP, "!!NO_INFO");
  EXPECT_EQ(s.ProxyPort, -1);
  EXPECT_EQ(s.CheckIn, -1);
  EXPECT_EQ(s.CacheNumResults, 10);
  EXPECT_TRUE(s.StartOffLine);
  EXPECT_TRUE(s.ShowBookmarks);
  EXPECT_TRUE(s.RestoreBrowserOnExit);
}

TEST_F(EngineSettingsTest, StoredValuesAreReadFromTheirSections) {
  store_.WriteString("Network", "HTTPProxyPort", "0x1F90");
  store_.WriteBool("Network", "UseLoopback", false);
  store_.WriteString("Network", "UserAgent", QString(300, 'u'));
  store_.WriteString("Network", "ProxyIP", "proxy.example");
  store_.WriteInteger("Network", "ProxyPort", 3128);
  store_.WriteBool("Network", "StartOffLine", false);
  store_.WriteString("Cache", "MaxCacheItemSize", "not a number");
  store_.WriteInteger("HTML Cache Explorer Properties", "CacheNumResults", 25);
  // A value in the wrong section is not seen.
  store_.WriteInteger("General", "HTTPProxyPort", 1);

  const TEngineSettings s = ReadEngineSettings(store_, [] {});
  EXPECT_EQ(s.HTTPProxyPort, 8080);
  EXPECT_FALSE(s.UseLoopback);
  EXPECT_EQ(s.UserAgent, QString(255, 'u'));
  EXPECT_EQ(s.ProxyIP, "proxy.example");
  EXPECT_EQ(s.ProxyPort, 3128);
  EXPECT_FALSE(s.StartOffLine);
  EXPECT_EQ(s.MaxCacheItemSize, 204800);
  EXPECT_EQ(s.CacheNumResults, 25);
}

} // namespace
} // namespace ql
