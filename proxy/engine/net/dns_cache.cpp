#include "proxy/engine/net/dns_cache.h"

namespace ql {

void TDNSCache::Add(const QByteArray &name, const TIPv4Address &address) {
  if (!items_.contains(name))
    items_.insert(name, address);
}

bool TDNSCache::Find(const QByteArray &name, TIPv4Address &address) const {
  const auto found = items_.constFind(name);
  if (found == items_.cend())
    return false;
  address = *found;
  return true;
}

TDNSCache &DNSCache() {
  static TDNSCache cache;
  return cache;
}

} // namespace ql
