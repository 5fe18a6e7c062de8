#include "proxy/engine/net/engine_settings.h"

#include "proxy/platform/reg_ini_file.h"

namespace ql {

namespace {
constexpr int kShortTextLength = 255;
}

TEngineSettings ReadEngineSettings(TRegIniFile &store, const std::function<void()> &readCommandLine) {
  const TEngineSettings d;
  TEngineSettings s;
  s.HTTPProxyPort = store.ReadInteger("Network", "HTTPProxyPort", d.HTTPProxyPort);
  s.MaxCacheSize = store.ReadInteger("Cache", "MaxCacheSize", d.MaxCacheSize);
  s.MaxCacheItemSize = store.ReadInteger("Cache", "MaxCacheItemSize", d.MaxCacheItemSize);
  s.UseLoopback = store.ReadBool("Network", "UseLoopback", d.UseLoopback);
  s.UserAgent = store.ReadString("Network", "UserAgent", d.UserAgent).left(kShortTextLength);
  s.UseIExplore = store.ReadBool("General", "UseIExplore", d.UseIExplore);
  readCommandLine();
  s.ShowFilenames = store.ReadBool("Cache Explorer Properties", "ShowFilenames", d.ShowFilenames);
  s.ActivateBrowserWindow = store.ReadBool("General", "ActivateBrowserWindow", d.ActivateBrowserWindow);
  s.AutoStartBrowser = store.ReadBool("General", "AutoStartBrowser", d.AutoStartBrowser);
  s.ProxyIP = store.ReadString("Network", "ProxyIP", d.ProxyIP);
  s.NewsUpdated = store.ReadBool("General", "NewsUpdated", d.NewsUpdated);
  s.ProxyPort = store.ReadInteger("Network", "ProxyPort", d.ProxyPort);
  s.CheckIn = store.ReadInteger("General", "CheckIn", d.CheckIn);
  s.RestoreBrowserOnExit = store.ReadBool("General", "RestoreBrowserOnExit", d.RestoreBrowserOnExit);
  s.DontCheckIn = store.ReadBool("General", "DontCheckIn", d.DontCheckIn);
  s.CacheNumResults =
      store.ReadInteger("HTML Cache Explorer Properties", "CacheNumResults", d.CacheNumResults);
  s.AutoLocateBrowser = store.ReadBool("General", "AutoLocateBrowser", d.AutoLocateBrowser);
  s.DDEMSIE3 = store.ReadBool("General", "DDEMSIE3", d.DDEMSIE3);
  s.ShowBookmarks = store.ReadBool("General", "ShowBookmarks", d.ShowBookmarks);
  s.StartOffLine = store.ReadBool("Network", "StartOffLine", d.StartOffLine);
  return s;
}

} // namespace ql
