#include "proxy/engine/net/run_lists.h"

#include "proxy/engine/net/dns_cache.h"

namespace ql {

void TRunLists::FreeHostNameCache() {
  DNSCache().Clear();
}

} // namespace ql
