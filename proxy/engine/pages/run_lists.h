#pragma once

#include "proxy/engine/net/engine_links.h"

namespace ql {

class TAutobrowseSession;

// The engine's lists that outlive single connections, as the network window frees them at
// its stop: the Autobrowse session's lists and the host-name cache. The session is not owned
// and must outlive these lists.
class TRunLists : public TEngineLists {
public:
  explicit TRunLists(TAutobrowseSession &session) : session_(session) {}

  void ClearAutoLists() override;
  void FreeHostNameCache() override;

private:
  TAutobrowseSession &session_;
};

} // namespace ql
