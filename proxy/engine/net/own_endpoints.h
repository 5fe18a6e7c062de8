#pragma once

#include "proxy/platform/winsock.h"

#include <cstdint>
#include <set>
#include <utility>

namespace ql {

// The two ends (local, remote) of every origin-side connection the engine has open. A browser
// connection accepted from one of them, at the remote end it was made to, is the proxy talking
// to itself (a request for the proxy's own address and port): it is answered with an error
// instead of being forwarded again, so that such a loop ends after one turn instead of using
// up the descriptors. Both ends count, since the system may give one local port to several
// connections to different places. GUI thread only.
class TOwnEndpoints {
public:
  using Key = std::pair<std::uint64_t, std::uint64_t>;

  // Notes a connected or connecting socket and the remote end it was made to; returns its key
  // ({0, 0} when the socket has no local end yet).
  Key Add(SOCKET socket, const sockaddr_in &remote);
  void Remove(const Key &key);
  // Whether an accepted connection from peer, taken at local, is one of the noted ones.
  bool Contains(const sockaddr_in &peer, const sockaddr_in &local) const;
  // Whether peer is the local end of a noted connection: only then can a connection from it be
  // one of them, so the accepted connection's own local end need not be asked for otherwise.
  bool IsLocalEnd(const sockaddr_in &peer) const;
  void Clear() {
    keys_.clear();
    localEnds_.clear();
  }

private:
  std::set<Key> keys_;
  std::multiset<std::uint64_t> localEnds_;
};

extern TOwnEndpoints OwnOriginEndpoints;

} // namespace ql
