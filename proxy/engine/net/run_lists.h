#pragma once

#include "proxy/engine/net/engine_links.h"

namespace ql {

// The engine's lists that outlive single connections, as the network window frees them at
// its stop: the host-name cache. There are no Autobrowse lists to clear yet.
class TRunLists : public TEngineLists {
public:
  void ClearAutoLists() override {}
  void FreeHostNameCache() override;
};

} // namespace ql
