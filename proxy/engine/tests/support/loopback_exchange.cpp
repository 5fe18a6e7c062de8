#include "support/loopback_exchange.h"

#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace ql::test {

std::uint16_t FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

int ConnectLoopback(int port, int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string Exchange(int port, const std::string &request, int timeoutMs, std::size_t abortAfter) {
  const int fd = ConnectLoopback(port);
  if (fd < 0)
    return {};
  std::size_t at = 0;
  while (at < request.size()) {
    const ssize_t sent = ::send(fd, request.data() + at, request.size() - at, MSG_NOSIGNAL);
    if (sent <= 0)
      break;
    at += static_cast<std::size_t>(sent);
  }
  std::string answer;
  char piece[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0)
      continue;
    const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
    if (got <= 0)
      break;
    answer.append(piece, static_cast<std::size_t>(got));
    if (abortAfter > 0 && answer.size() >= abortAfter) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      break;
    }
  }
  ::close(fd);
  return answer;
}

std::string ReadUntilClosed(int fd, std::size_t pieceSize, int pauseMs) {
  std::string answer;
  std::vector<char> piece(pieceSize);
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0)
      break;
    const ssize_t got = ::recv(fd, piece.data(), piece.size(), 0);
    if (got <= 0)
      break;
    answer.append(piece.data(), static_cast<std::size_t>(got));
    if (pauseMs > 0)
      QThread::msleep(static_cast<unsigned long>(pauseMs));
  }
  ::close(fd);
  return answer;
}

} // namespace ql::test
