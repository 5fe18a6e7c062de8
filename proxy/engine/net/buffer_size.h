#pragma once

#include <functional>

namespace ql {

// Asks for a socket buffer of the given size through setOption, which makes the call for
// one size and returns 0 on success (the setsockopt convention); the caller binds the
// socket and SO_RCVBUF or SO_SNDBUF. While the call fails and the size is above 588 the
// size is halved and tried again. Returns the last size tried.
int SetSocketBufferSize(const std::function<int(int size)> &setOption, int size);

} // namespace ql
