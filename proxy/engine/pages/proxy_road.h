#pragma once

#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/pages/proxy_router.h"
#include "proxy/engine/pages/pseudo_host.h"
#include "proxy/engine/pages/run_lists.h"

#include <QString>

namespace ql {

class TRegIniFile;

// The proxy's main road as the network window links to it: the disk cache (loaded at start,
// saved at stop), the routing of browser requests through the pseudo-host's pages and the
// cache to the origin, the Autobrowse session, and the lists the engine frees at its stop.
//
// The desktop links in its parts as it creates them: the bookmark tree (for the pages and
// Autobrowse), the windows the pages show, the Autobrowse Control window and the exclusion
// lines. Until then they keep their stand-ins.
//
// Create it before the network window and keep it until the window is gone. The settings
// store and everything linked in are not owned; each must stay until it is unlinked (set to
// null) or the road is gone. The pictures of the pages are read from imagesDirectory.
class TProxyRoad {
public:
  explicit TProxyRoad(TRegIniFile &settings, const QString &imagesDirectory = {});

  // The links to hand the network window; the parts it has no link for keep their stand-ins.
  TEngineLinks Links();

  void SetBookmarkTree(TBookmarkTree *tree);
  void SetPageWindows(TPageWindows *windows);
  void SetAutobrowseView(TAutobrowseView *view);
  void SetExclusionLines(const TExclusionLines *lines);

  TProxyCache &Cache() { return cache_; }
  TPseudoHost &Pages() { return pages_; }
  TAutobrowseSession &Autobrowse() { return session_; }

private:
  TProxyCache cache_;
  TAutobrowseSession session_;
  TPseudoHost pages_;
  TProxyRouter router_;
  TRunLists lists_;
};

} // namespace ql
