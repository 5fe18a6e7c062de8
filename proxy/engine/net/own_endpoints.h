#pragma once

#include "proxy/platform/winsock.h"

#include <cstdint>
#include <unordered_set>

namespace ql {

// The local address and port of every origin-side connection the engine has open. A browser
// connection accepted from one of them is the proxy talking to itself (a request for the
// proxy's own address and port): it is answered with an error instead of being forwarded
// again, so that such a loop ends after one turn instead of using up the descriptors.
// GUI thread only.
class TOwnEndpoints {
public:
  // Notes the local end of a connected or connecting socket; returns its key (0 when the
  // socket has none).
  std::uint64_t Add(SOCKET socket);
  void Remove(std::uint64_t key);
  bool Contains(const sockaddr_in &peer) const;
  void Clear() { keys_.clear(); }

private:
  std::unordered_set<std::uint64_t> keys_;
};

extern TOwnEndpoints OwnOriginEndpoints;

} // namespace ql
