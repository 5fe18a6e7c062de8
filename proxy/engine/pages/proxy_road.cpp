#include "proxy/engine/pages/proxy_road.h"

#include "proxy/engine/net/engine_cache_links.h"

namespace ql {

TProxyRoad::TProxyRoad(TRegIniFile &settings, const QString &imagesDirectory)
    : cache_(settings, EngineCacheLinks()), session_(cache_, settings),
      pages_(cache_, settings, imagesDirectory), router_(cache_, &pages_), lists_(session_) {}

TEngineLinks TProxyRoad::Links() {
  TEngineLinks links;
  links.router = &router_;
  links.cacheIndex = &cache_;
  links.lists = &lists_;
  return links;
}

void TProxyRoad::SetBookmarkTree(TBookmarkTree *tree) {
  pages_.SetTree(tree);
  session_.SetTree(tree);
}

void TProxyRoad::SetPageWindows(TPageWindows *windows) {
  pages_.SetWindows(windows);
}

void TProxyRoad::SetAutobrowseView(TAutobrowseView *view) {
  session_.SetView(view);
}

void TProxyRoad::SetExclusionLines(const TExclusionLines *lines) {
  session_.SetExclusionLines(lines);
}

} // namespace ql
