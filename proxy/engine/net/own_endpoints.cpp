#include "proxy/engine/net/own_endpoints.h"

namespace ql {

TOwnEndpoints OwnOriginEndpoints;

namespace {

std::uint64_t End(const sockaddr_in &address) {
  return (std::uint64_t{ntohl(address.sin_addr.s_addr)} << 16) | ntohs(address.sin_port);
}

} // namespace

TOwnEndpoints::Key TOwnEndpoints::Add(SOCKET socket, const sockaddr_in &remote) {
  sockaddr_in local{};
  int length = sizeof local;
  if (getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length) != 0 || local.sin_port == 0)
    return {};
  const Key key{End(local), End(remote)};
  if (keys_.insert(key).second)
    localEnds_.insert(key.first);
  return key;
}

void TOwnEndpoints::Remove(const Key &key) {
  if (keys_.erase(key) == 0)
    return;
  const auto end = localEnds_.find(key.first);
  if (end != localEnds_.end())
    localEnds_.erase(end);
}

bool TOwnEndpoints::IsLocalEnd(const sockaddr_in &peer) const {
  return !localEnds_.empty() && localEnds_.contains(End(peer));
}

bool TOwnEndpoints::Contains(const sockaddr_in &peer, const sockaddr_in &local) const {
  return !keys_.empty() && keys_.contains(Key{End(peer), End(local)});
}

} // namespace ql
