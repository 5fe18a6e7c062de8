#pragma once

#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/net/run_lists.h"
#include "proxy/engine/pages/proxy_router.h"

namespace ql {

class TRegIniFile;

// The proxy's main road as the network window links to it: the disk cache (loaded at start,
// saved at stop), the routing of browser requests through the cache to the origin, and the
// lists the engine frees at its stop.
// Create it before the network window and keep it until the window is gone. The settings
// store and the pages are not owned.
class TProxyRoad {
public:
  explicit TProxyRoad(TRegIniFile &settings, TPseudoHostPages *pages = nullptr);

  // The links to hand the network window; the parts it has no link for keep their stand-ins.
  TEngineLinks Links();

  TProxyCache &Cache() { return cache_; }

private:
  TProxyCache cache_;
  TProxyRouter router_;
  TRunLists lists_;
};

} // namespace ql
