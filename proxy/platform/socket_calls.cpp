#include "proxy/platform/socket_poller.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_state.h"

#include <cerrno>
#include <cstring>

namespace ql {
namespace {

// Reads a Windows-layout IPv4 address; 0 or a WSA error.
int ReadAddress(const sockaddr *name, int nameLength, sockaddr_in *address) {
  if (name == nullptr || nameLength < static_cast<int>(sizeof(sockaddr_in))) {
    return WSAEFAULT;
  }
  std::memcpy(address, name, sizeof *address);
  if (address->sin_family != AF_INET) {
    return WSAEAFNOSUPPORT;
  }
  return 0;
}

// Clears what was reported of the socket's readiness before a change of its kind (listen,
// connect) made it meaningless; reports of the new kind follow.
void ForgetReadiness(SocketRecord &record) {
  record.readReady = false;
  record.writeReady = false;
  record.peerShut = false;
}

// Enters a new descriptor in the socket table; when the handles are used up the descriptor
// is closed and WSAEMFILE left for WSAGetLastError.
SocketRecord *AddOrClose(int fd) {
  SocketRecord *record = AddSocket(fd);
  if (record == nullptr) {
    sys::Close(fd);
    Fail(WSAEMFILE);
  }
  return record;
}

} // namespace

SOCKET socket(int af, int type, int protocol) {
  if (!WinsockStarted()) {
    return Fail(WSANOTINITIALISED);
  }
  if (af != AF_INET) {
    return Fail(WSAEAFNOSUPPORT);
  }
  if (type != SOCK_STREAM) {
    return Fail(WSAESOCKTNOSUPPORT);
  }
  if (protocol != 0 && protocol != IPPROTO_TCP) {
    return Fail(WSAEPROTONOSUPPORT);
  }
  const int fd = sys::TcpSocket();
  if (fd < 0) {
    return FailErrno(fd);
  }
  SocketRecord *record = AddOrClose(fd);
  return record == nullptr ? SOCKET_ERROR : record->handle;
}

int bind(SOCKET s, const sockaddr *name, int nameLength) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  sockaddr_in address;
  if (const int error = ReadAddress(name, nameLength, &address)) {
    return Fail(error);
  }
  // A listener must be able to take its port again while connections it accepted linger.
  sys::SetIntOption(record->fd, sys::IntOption::ReuseAddress, 1);
  const int result = sys::Bind(record->fd, address.sin_addr.s_addr, address.sin_port);
  if (result < 0) {
    return FailErrno(result);
  }
  record->bound = true;
  return 0;
}

int listen(SOCKET s, int backlog) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  // Linux would listen on an unbound socket at a port of its choosing; Windows refuses.
  if (!record->bound || record->state == SocketRecord::State::Connecting ||
      record->state == SocketRecord::State::Connected || record->state == SocketRecord::State::Failed) {
    return Fail(record->state == SocketRecord::State::Connected ? WSAEISCONN : WSAEINVAL);
  }
  const int result = sys::Listen(record->fd, backlog);
  if (result < 0) {
    return FailErrno(result);
  }
  record->state = SocketRecord::State::Listening;
  // What was reported of the socket before it listened says nothing of pending connections.
  ForgetReadiness(*record);
  EvaluateSocket(*record);
  return 0;
}

int getsockname(SOCKET s, sockaddr *name, int *nameLength) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (name == nullptr || nameLength == nullptr || *nameLength < static_cast<int>(sizeof(sockaddr_in))) {
    return Fail(WSAEFAULT);
  }
  if (!record->bound && record->state == SocketRecord::State::Fresh) {
    return Fail(WSAEINVAL);
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  const int result = sys::LocalAddress(record->fd, &local.sin_addr.s_addr, &local.sin_port);
  if (result < 0) {
    return FailErrno(result);
  }
  std::memcpy(name, &local, sizeof local);
  *nameLength = sizeof local;
  return 0;
}

SOCKET accept(SOCKET s, sockaddr *address, int *addressLength) {
  SocketRecord *listener = FindSocket(s);
  if (listener == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (listener->state != SocketRecord::State::Listening) {
    return Fail(WSAEINVAL);
  }
  if (address != nullptr &&
      (addressLength == nullptr || *addressLength < static_cast<int>(sizeof(sockaddr_in)))) {
    return Fail(WSAEFAULT);
  }
  std::uint32_t peerAddress = 0;
  std::uint16_t peerPort = 0;
  const int fd = sys::Accept(listener->fd, listener->nonBlocking, &peerAddress, &peerPort);
  // accept() re-arms FD_ACCEPT: it is posted again while connections are pending (also when
  // this one could not be taken, for want of a descriptor).
  listener->acceptPosted = false;
  listener->readReady = fd != -EAGAIN && fd != -EWOULDBLOCK && sys::Poll(listener->fd).readable;
  EvaluateSocket(*listener);
  if (fd < 0) {
    return FailErrno(fd);
  }
  SocketRecord *record = AddOrClose(fd);
  if (record == nullptr) {
    return SOCKET_ERROR;
  }
  if (address != nullptr) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = peerPort;
    peer.sin_addr.s_addr = peerAddress;
    std::memcpy(address, &peer, sizeof peer);
    *addressLength = sizeof peer;
  }
  record->state = SocketRecord::State::Connected;
  record->nonBlocking = listener->nonBlocking;
  // A new connection takes data at once; whether the peer sent any yet comes with the poller's
  // first report, which follows its registration at once.
  record->writeReady = true;
  record->readinessSeeded = true;
  if (listener->events != 0 && !WatchSocket(*record)) {
    // A connection that would never be notified is refused rather than left hanging.
    sys::Close(record->fd);
    RemoveSocket(record->handle);
    return Fail(WSAENOBUFS);
  }
  if (listener->events != 0) {
    SelectSocketEvents(*record, listener->window, listener->msg, listener->events);
  }
  return record->handle;
}

int connect(SOCKET s, const sockaddr *name, int nameLength) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  switch (record->state) {
  case SocketRecord::State::Connecting:
    return Fail(WSAEALREADY);
  case SocketRecord::State::Connected:
    return Fail(WSAEISCONN);
  case SocketRecord::State::Listening:
  case SocketRecord::State::Failed:
    return Fail(WSAEINVAL);
  case SocketRecord::State::Fresh:
    break;
  }
  sockaddr_in address;
  if (const int error = ReadAddress(name, nameLength, &address)) {
    return Fail(error);
  }
  // The end of the connect comes as a new report; nothing reported before it counts.
  ForgetReadiness(*record);
  const int result = sys::Connect(record->fd, address.sin_addr.s_addr, address.sin_port);
  if (!record->nonBlocking) {
    if (result < 0) {
      record->state = SocketRecord::State::Failed;
      return FailErrno(result);
    }
    record->state = SocketRecord::State::Connected;
    return 0;
  }
  if (result < 0 && result != -EINPROGRESS) {
    record->state = SocketRecord::State::Failed;
    return FailErrno(result);
  }
  // Even a connect that completed at once is reported through FD_CONNECT, as Windows does.
  record->state = SocketRecord::State::Connecting;
  return Fail(WSAEWOULDBLOCK);
}

int WSAAsyncSelect(SOCKET s, MessageWindow *window, UINT msg, long events) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (events != 0 && window == nullptr) {
    return Fail(WSAEINVAL);
  }
  if (!record->nonBlocking) {
    const int result = sys::SetNonBlocking(record->fd);
    if (result < 0) {
      return FailErrno(result);
    }
    record->nonBlocking = true;
  }
  if (events != 0 && !WatchSocket(*record)) {
    return Fail(WSAENOBUFS);
  }
  SelectSocketEvents(*record, window, msg, events);
  return 0;
}

} // namespace ql
