#pragma once

#include "proxy/platform/win_types.h"
#include "proxy/platform/wsa_errors.h"

#include <cstdint>

// Windows Sockets 1.1 over POSIX sockets, with window-message notification.
//
// Contract (GUI thread only, except WSAGetLastError which is per thread):
// - A SOCKET is a positive integer and never a file descriptor; INVALID_SOCKET (-1) means
//   none. A handle that is not open gives WSAENOTSOCK. Handles count up to INT_MAX and then
//   go round, passing over open ones; a closed handle comes back only once a message posted
//   after its close has been taken for dispatch, so no queued notification and no handler
//   still running from before the close can reach the socket that gets it next.
// - Calls that fail return SOCKET_ERROR (or INVALID_SOCKET, or 0 for a lookup handle) and
//   leave a WSA code for WSAGetLastError.
// - WSAStartup must succeed before socket() and WSAAsyncGetHostByName; the last WSACleanup
//   cancels outstanding lookups and closes the sockets still open.
// - WSAAsyncSelect(s, window, msg, events) makes s non-blocking and replaces any earlier
//   registration (events 0 turns notification off). It may come before bind, listen or
//   connect. Each notification is one message `msg` to `window` with wParam = s and
//   lParam = WSAMAKESELECTREPLY(event, error); it is posted at once when its condition
//   already holds:
//     FD_ACCEPT  a connection is pending; posted again after accept() while more are pending.
//     FD_READ    data is waiting; at most one is outstanding, the next recv() re-arms it.
//     FD_WRITE   after a successful connect, after accept(), on registration of a connected
//                socket, and exactly once after a send() that failed with WSAEWOULDBLOCK.
//     FD_CONNECT a non-blocking connect ended, with its error; FD_WRITE follows on success;
//                after a failed connect no event comes any more.
//     FD_CLOSE   exactly once, after the data that arrived before the close has been read;
//                error 0 (orderly), WSAECONNRESET or WSAECONNABORTED.
//   The socket accepted from a listener inherits the listener's window, message and events.
//   Readiness is watched for all sockets through one epoll set; when the system will not watch
//   one more descriptor, WSAAsyncSelect fails (and accept refuses the connection) with
//   WSAENOBUFS.
// - bind() sets SO_REUSEADDR. listen() on a socket that is not bound (or whose bind failed)
//   fails with WSAEINVAL. connect() on a non-blocking socket returns SOCKET_ERROR with
//   WSAEWOULDBLOCK unless it fails at once. send() never raises SIGPIPE and may send part of
//   the data. closesocket() is graceful, never blocks, withdraws the socket's queued
//   notifications and returns 0.
// - WSAAsyncGetHostByName resolves an IPv4 address on a worker thread and returns a non-zero
//   task handle (1..65535) that no live lookup holds. At delivery, on the GUI thread, the
//   caller's block receives a hostent with the first address and the message is posted with
//   wParam = the handle and lParam = MAKELONG(length used, error); errors are 11001..11004
//   (WSAENOBUFS when the block is too small). After WSACancelAsyncRequest returns 0, nothing is
//   written and nothing is posted for that lookup, also once its handle is given to a later one.
//
// The C library's socket headers define macros with the names of several constants here
// (AF_INET, SOL_SOCKET, INADDR_ANY, ...): do not include them together with this header.
namespace ql {

class MessageWindow;

using SOCKET = int;
constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
constexpr std::uint32_t INADDR_ANY = 0x00000000;
constexpr std::uint32_t INADDR_LOOPBACK = 0x7f000001;
constexpr std::uint32_t INADDR_NONE = 0xffffffff;

// listen()'s backlog for "as many as the system allows".
constexpr int SOMAXCONN = 0x7fffffff;

constexpr int SOL_SOCKET = 0xffff;
constexpr int SO_REUSEADDR = 0x0004;
constexpr int SO_SNDBUF = 0x1001;
constexpr int SO_RCVBUF = 0x1002;

constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;
constexpr long FD_OOB = 0x04;
constexpr long FD_ACCEPT = 0x08;
constexpr long FD_CONNECT = 0x10;
constexpr long FD_CLOSE = 0x20;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;
constexpr int MAXGETHOSTSTRUCT = 1024;

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char *lpVendorInfo;
};

// An IPv4 address in network byte order.
struct in_addr {
  std::uint32_t s_addr;
};

struct sockaddr {
  std::uint16_t sa_family;
  char sa_data[14];
};

struct sockaddr_in {
  std::int16_t sin_family;
  std::uint16_t sin_port; // network byte order
  in_addr sin_addr;
  char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == 16);

// The host entry a lookup writes at the start of the caller's block; every pointer points
// into that block. The block must be aligned for hostent (heap blocks and alignas buffers are).
struct hostent {
  char *h_name;
  char **h_aliases;
  std::int16_t h_addrtype;
  std::int16_t h_length;
  char **h_addr_list;
};

constexpr std::uint16_t htons(std::uint16_t v) {
  return static_cast<std::uint16_t>((v << 8) | (v >> 8));
}
constexpr std::uint16_t ntohs(std::uint16_t v) {
  return htons(v);
}
constexpr std::uint32_t htonl(std::uint32_t v) {
  return ((v & 0xff) << 24) | ((v & 0xff00) << 8) | ((v >> 8) & 0xff00) | (v >> 24);
}
constexpr std::uint32_t ntohl(std::uint32_t v) {
  return htonl(v);
}

constexpr LPARAM WSAMAKESELECTREPLY(WORD event, WORD error) {
  return static_cast<LPARAM>(MAKELONG(event, error));
}
constexpr WORD WSAGETSELECTEVENT(LPARAM lParam) {
  return LOWORD(static_cast<std::uintptr_t>(lParam));
}
constexpr WORD WSAGETSELECTERROR(LPARAM lParam) {
  return HIWORD(static_cast<std::uintptr_t>(lParam));
}
constexpr WORD WSAGETASYNCBUFLEN(LPARAM lParam) {
  return LOWORD(static_cast<std::uintptr_t>(lParam));
}
constexpr WORD WSAGETASYNCERROR(LPARAM lParam) {
  return HIWORD(static_cast<std::uintptr_t>(lParam));
}

int WSAStartup(WORD versionRequested, WSADATA *data);
int WSACleanup();

SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const sockaddr *name, int nameLength);
int listen(SOCKET s, int backlog);
// The local address and port the socket is bound to (the port bind chose for port 0).
int getsockname(SOCKET s, sockaddr *name, int *nameLength);
SOCKET accept(SOCKET s, sockaddr *address, int *addressLength);
int connect(SOCKET s, const sockaddr *name, int nameLength);
int send(SOCKET s, const char *buffer, int length, int flags);
int recv(SOCKET s, char *buffer, int length, int flags);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
// Options at SOL_SOCKET: SO_RCVBUF, SO_SNDBUF and SO_REUSEADDR, as an int.
int setsockopt(SOCKET s, int level, int optionName, const char *optionValue, int optionLength);
int getsockopt(SOCKET s, int level, int optionName, char *optionValue, int *optionLength);

int WSAAsyncSelect(SOCKET s, MessageWindow *window, UINT msg, long events);
HANDLE WSAAsyncGetHostByName(MessageWindow *window, UINT msg, const char *name, char *buffer,
                             int bufferLength);
int WSACancelAsyncRequest(HANDLE asyncTaskHandle);

} // namespace ql
