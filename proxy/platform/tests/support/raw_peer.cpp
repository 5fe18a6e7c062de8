#include "support/raw_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ql::test::raw {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return sa;
}

bool WaitReadable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) > 0;
}

} // namespace

int ConnectTo(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in sa = Loopback(port);
  if (::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) < 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int ListenOn(std::uint16_t *port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa = Loopback(0);
  socklen_t length = sizeof sa;
  if (::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) < 0 || ::listen(fd, 8) < 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &length) < 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(sa.sin_port);
  return fd;
}

int AcceptFrom(int listener) {
  if (!WaitReadable(listener, 5000)) {
    return -1;
  }
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool SendAll(int fd, const std::string &data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadToEnd(int fd, int timeoutMs, bool *reset) {
  std::string data;
  char chunk[65536];
  if (reset != nullptr) {
    *reset = false;
  }
  while (WaitReadable(fd, timeoutMs)) {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && reset != nullptr) {
      *reset = errno == ECONNRESET;
    }
    if (n <= 0) {
      break;
    }
    data.append(chunk, static_cast<std::size_t>(n));
  }
  return data;
}

std::string ReadExactly(int fd, std::size_t length, int timeoutMs) {
  std::string data;
  char chunk[65536];
  while (data.size() < length && WaitReadable(fd, timeoutMs)) {
    const std::size_t want = std::min(sizeof chunk, length - data.size());
    const ssize_t n = ::recv(fd, chunk, want, 0);
    if (n <= 0) {
      break;
    }
    data.append(chunk, static_cast<std::size_t>(n));
  }
  return data;
}

void SetReceiveBuffer(int fd, int bytes) {
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void ShutdownSend(int fd) {
  ::shutdown(fd, SHUT_WR);
}

void CloseWithReset(int fd) {
  const linger abortive{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  ::close(fd);
}

void Close(int fd) {
  ::close(fd);
}

bool IsOpenDescriptor(int fd) {
  return ::fcntl(fd, F_GETFD) >= 0;
}

} // namespace ql::test::raw
