#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Plain blocking-socket exchanges with a server on 127.0.0.1, for the tests and the benches
// that talk to the proxy the way a browser does.
namespace ql::test {

// A free TCP port on 127.0.0.1 at the time of the call.
std::uint16_t FreePort();

// A blocking socket connected to 127.0.0.1:port (with a receive buffer of that size when
// receiveBuffer > 0), or -1 when the connection is refused.
int ConnectLoopback(int port, int receiveBuffer = 0);

// Sends request to 127.0.0.1:port and returns every byte until the peer closes, or what came
// within timeoutMs. When abortAfter > 0 the connection is reset once that many bytes came.
std::string Exchange(int port, const std::string &request, int timeoutMs = 20000, std::size_t abortAfter = 0);

// Reads fd at most pieceSize bytes at a time, pausing pauseMs after each piece, until the peer
// closes or 10 s pass without a byte; closes fd and returns what came.
std::string ReadUntilClosed(int fd, std::size_t pieceSize, int pauseMs = 0);

} // namespace ql::test
