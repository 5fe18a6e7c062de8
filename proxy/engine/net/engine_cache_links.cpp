#include "proxy/engine/net/engine_cache_links.h"

#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/network_window.h"

namespace ql {

TCacheLinks EngineCacheLinks() {
  TCacheLinks links;
  links.Settings = [] {
    TCacheSettings settings;
    settings.DataDirectory = DataDirectory;
    settings.MaxCacheSize = EngineSettings.MaxCacheSize;
    settings.MaxCacheItemSize = EngineSettings.MaxCacheItemSize;
    return settings;
  };
  links.Log = [](const QString &line) {
    if (Form1 != nullptr)
      Form1->Log(line);
  };
  links.DiskFull = [] {
    // The notice tells the user once; the journal waits from then on, as downloads do.
    if (Form1 != nullptr && !DiskFull)
      Form1->PostMessage(WM_DISKFULL, 0, 0);
  };
  return links;
}

} // namespace ql
