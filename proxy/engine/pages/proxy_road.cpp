#include "proxy/engine/pages/proxy_road.h"

namespace ql {

TProxyRoad::TProxyRoad(TRegIniFile &settings, TPseudoHostPages *pages)
    : cache_(settings), router_(cache_, pages) {}

TEngineLinks TProxyRoad::Links() {
  TEngineLinks links;
  links.router = &router_;
  links.cacheIndex = &cache_;
  links.lists = &lists_;
  return links;
}

} // namespace ql
