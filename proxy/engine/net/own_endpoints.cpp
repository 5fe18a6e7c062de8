#include "proxy/engine/net/own_endpoints.h"

namespace ql {

TOwnEndpoints OwnOriginEndpoints;

namespace {

std::uint64_t Key(const sockaddr_in &address) {
  return (std::uint64_t{ntohl(address.sin_addr.s_addr)} << 16) | ntohs(address.sin_port);
}

} // namespace

std::uint64_t TOwnEndpoints::Add(SOCKET socket) {
  sockaddr_in local{};
  int length = sizeof local;
  if (getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length) != 0 || local.sin_port == 0)
    return 0;
  const std::uint64_t key = Key(local);
  keys_.insert(key);
  return key;
}

void TOwnEndpoints::Remove(std::uint64_t key) {
  keys_.erase(key);
}

bool TOwnEndpoints::Contains(const sockaddr_in &peer) const {
  return keys_.contains(Key(peer));
}

} // namespace ql
