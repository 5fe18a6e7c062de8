#pragma once

#include "proxy/engine/cache/cache_limits.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace ql {

class TRegIniFile;

// The settings that the network window reads once at start, with their defaults.
struct TEngineSettings {
  int HTTPProxyPort = 1234;
  std::int32_t MaxCacheSize = kDefaultMaxCacheSize;
  std::int32_t MaxCacheItemSize = kDefaultMaxCacheItemSize;
  // Listen on 127.0.0.1 only. On by default: the proxy has no access control of its own.
  bool UseLoopback = true;
  QString UserAgent = QStringLiteral("Quenlark/16.2");
  bool UseIExplore = false;
  bool ShowFilenames = true;
  bool ActivateBrowserWindow = true;
  bool AutoStartBrowser = false;
  QString ProxyIP = QStringLiteral("!!NO_INFO");
  bool NewsUpdated = false;
  int ProxyPort = -1;
  int CheckIn = -1;
  bool RestoreBrowserOnExit = true;
  bool DontCheckIn = false;
  int CacheNumResults = 10;
  bool AutoLocateBrowser = true;
  bool DDEMSIE3 = false;
  bool ShowBookmarks = true;
  bool StartOffLine = true;
};

// Reads the settings in their fixed order; readCommandLine runs between UseIExplore and
// ShowFilenames, so that the command line of the run is applied at that point.
TEngineSettings ReadEngineSettings(TRegIniFile &store, const std::function<void()> &readCommandLine);

} // namespace ql
