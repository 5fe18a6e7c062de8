#include "proxy/engine/pages/run_lists.h"

#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/net/dns_cache.h"

namespace ql {

void TRunLists::ClearAutoLists() {
  session_.ClearAutoLists();
}

void TRunLists::FreeHostNameCache() {
  DNSCache().Clear();
}

} // namespace ql
