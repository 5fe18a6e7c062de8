#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/origin_pipe.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

// Download files that need a name are numbered for the run: a connection destroyed late never
// touches a file under a newer connection's name.
TEST(OriginPipe, DownloadNamesAreUniqueAndDestroyLeavesOthersAlone) {
  QTemporaryDir dir;
  TempDirectory = dir.path() + "/";
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  TProxyCache cache(settings);
  auto older = std::make_unique<TOriginPipe>(cache);
  auto newer = std::make_unique<TOriginPipe>(cache);
  ASSERT_NE(older->DownloadPath(), newer->DownloadPath());
  EXPECT_TRUE(QFileInfo(older->DownloadPath()).fileName().startsWith("ts"));
  EXPECT_TRUE(older->DownloadPath().endsWith(".adr"));
  const QString newerPath = newer->DownloadPath();
  QFile file(newerPath);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  older.reset();
  EXPECT_TRUE(QFile::exists(newerPath));
  TempDirectory.clear();
}

} // namespace
} // namespace ql
