#pragma once

#include <QByteArray>

#include <QHash>
#include <array>
#include <cstdint>

namespace ql {

// An IPv4 address as a lookup delivers it: four bytes in network order.
using TIPv4Address = std::array<std::uint8_t, 4>;

// The host-name cache: every name resolved during the run with its address. Entries never
// expire, are never replaced and are removed only when the engine stops; nothing is kept
// between runs. Names
// compare exactly (case counts). When a name is added twice, the first address stays the
// one found. GUI thread only.
class TDNSCache {
public:
  void Add(const QByteArray &name, const TIPv4Address &address);
  // Copies the address of the name into address and returns true; false when unknown.
  bool Find(const QByteArray &name, TIPv4Address &address) const;
  std::size_t Count() const { return items_.size(); }
  // At least one name was resolved in this run.
  bool IsDirty() const { return !items_.isEmpty(); }
  // Frees every entry: the engine's stop.
  void Clear() { items_.clear(); }

private:
  QHash<QByteArray, TIPv4Address> items_;
};

// The process-wide host-name cache of the engine.
TDNSCache &DNSCache();

} // namespace ql
