#include "proxy/platform/sys_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace ql::sys {
namespace {

int Result(int value) {
  return value < 0 ? -errno : value;
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = port;
  sa.sin_addr.s_addr = address;
  return sa;
}

int OptionName(IntOption option) {
  switch (option) {
  case IntOption::ReceiveBuffer:
    return SO_RCVBUF;
  case IntOption::SendBuffer:
    return SO_SNDBUF;
  case IntOption::ReuseAddress:
    return SO_REUSEADDR;
  }
  return SO_REUSEADDR;
}

} // namespace

int TcpSocket() {
  return Result(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

int Bind(int fd, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in sa = MakeAddress(address, port);
  return Result(::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa));
}

int Listen(int fd, int backlog) {
  // The system caps a large backlog at its own maximum.
  return Result(::listen(fd, backlog));
}

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

int LocalAddress(int fd, std::uint32_t *address, std::uint16_t *port) {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  if (::getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &length) < 0) {
    return -errno;
  }
  *address = sa.sin_addr.s_addr;
  *port = sa.sin_port;
  return 0;
}

int Accept(int fd, bool nonBlocking, std::uint32_t *address, std::uint16_t *port) {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  int flags = SOCK_CLOEXEC;
  if (nonBlocking) {
    flags |= SOCK_NONBLOCK;
  }
  int result;
  do {
    result = ::accept4(fd, reinterpret_cast<sockaddr *>(&sa), &length, flags);
  } while (result < 0 && errno == EINTR);
  if (result >= 0) {
    *address = sa.sin_addr.s_addr;
    *port = sa.sin_port;
  }
  return Result(result);
}

int Connect(int fd, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in sa = MakeAddress(address, port);
  return Result(::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa));
}

long Send(int fd, const void *data, std::size_t length) {
  ssize_t result;
  do {
    result = ::send(fd, data, length, MSG_NOSIGNAL);
  } while (result < 0 && errno == EINTR);
  return result < 0 ? -errno : result;
}

long Recv(int fd, void *data, std::size_t length) {
  ssize_t result;
  do {
    result = ::recv(fd, data, length, 0);
  } while (result < 0 && errno == EINTR);
  return result < 0 ? -errno : result;
}

long PeekByte(int fd) {
  char byte;
  ssize_t result;
  do {
    result = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
  } while (result < 0 && errno == EINTR);
  return result < 0 ? -errno : result;
}

int Shutdown(int fd, int how) {
  const int posixHow = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
  return Result(::shutdown(fd, posixHow));
}

int SetIntOption(int fd, IntOption option, int value) {
  return Result(::setsockopt(fd, SOL_SOCKET, OptionName(option), &value, sizeof value));
}

int GetIntOption(int fd, IntOption option, int *value) {
  socklen_t length = sizeof *value;
  return Result(::getsockopt(fd, SOL_SOCKET, OptionName(option), value, &length));
}

int SetNonBlocking(int fd) {
  // The layer's sockets carry no other status flag.
  return Result(::fcntl(fd, F_SETFL, O_NONBLOCK));
}

int TakePendingError(int fd) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0) {
    return -errno;
  }
  return error;
}

Readiness Poll(int fd) {
  pollfd p{fd, POLLIN | POLLOUT, 0};
  Readiness readiness;
  if (::poll(&p, 1, 0) > 0) {
    readiness.readable = (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    readiness.writable = (p.revents & POLLOUT) != 0;
    readiness.failed = (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }
  return readiness;
}

void DiscardInput(int fd) {
  char scratch[16384];
  for (int round = 0; round < 1024; ++round) {
    const ssize_t n = ::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT);
    if (n <= 0 && !(n < 0 && errno == EINTR)) {
      return;
    }
  }
}

void Close(int fd) {
  ::close(fd);
}

int EpollCreate() {
  return Result(::epoll_create1(EPOLL_CLOEXEC));
}

int EpollAdd(int epfd, int fd, std::uint64_t key) {
  epoll_event event{};
  event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
  event.data.u64 = key;
  return Result(::epoll_ctl(epfd, EPOLL_CTL_ADD, fd, &event));
}

int EpollTake(int epfd, ReadyReport *reports, int max) {
  constexpr int kBatch = 256;
  epoll_event events[kBatch];
  int n;
  do {
    n = ::epoll_wait(epfd, events, std::min(max, kBatch), 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    return -errno;
  }
  for (int i = 0; i < n; ++i) {
    const std::uint32_t e = events[i].events;
    ReadyReport &report = reports[i];
    report.key = events[i].data.u64;
    report.readiness.readable = (e & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0;
    report.readiness.writable = (e & EPOLLOUT) != 0;
    report.readiness.failed = (e & (EPOLLERR | EPOLLHUP)) != 0;
    report.peerShut = (e & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0;
  }
  return n;
}

ResolveStatus ResolveIPv4(const std::string &name, std::uint32_t *address) {
  if (name.empty() || name.size() > 255 || name.find('\0') != std::string::npos) {
    return ResolveStatus::NotFound;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo *list = nullptr;
  const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (status != 0) {
    switch (status) {
    case EAI_NONAME:
      return ResolveStatus::NotFound;
    case EAI_AGAIN:
      return ResolveStatus::TryAgain;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return ResolveStatus::NoData;
    default:
      return ResolveStatus::NoRecovery;
    }
  }
  ResolveStatus result = ResolveStatus::NoData;
  for (const addrinfo *entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in sa;
      std::memcpy(&sa, entry->ai_addr, sizeof sa);
      *address = sa.sin_addr.s_addr;
      result = ResolveStatus::Ok;
      break;
    }
  }
  ::freeaddrinfo(list);
  return result;
}

} // namespace ql::sys
