#include "proxy/platform/wsa_errors.h"

#include <cerrno>

namespace ql {
namespace {
thread_local int t_lastError = 0;
}

int WSAErrorFromErrno(int err) {
  switch (err) {
  case 0:
    return 0;
  case EAGAIN:
#if EWOULDBLOCK != EAGAIN
  case EWOULDBLOCK:
#endif
  case EINPROGRESS:
    return WSAEWOULDBLOCK;
  case EALREADY:
    return WSAEALREADY;
  case EINTR:
    return WSAEINTR;
  case EACCES:
  case EPERM:
    return WSAEACCES;
  case EFAULT:
    return WSAEFAULT;
  case EINVAL:
    return WSAEINVAL;
  case EMFILE:
  case ENFILE:
    return WSAEMFILE;
  case EBADF:
  case ENOTSOCK:
    return WSAENOTSOCK;
  case EDESTADDRREQ:
    return WSAEDESTADDRREQ;
  case EMSGSIZE:
    return WSAEMSGSIZE;
  case EPROTOTYPE:
    return WSAEPROTOTYPE;
  case ENOPROTOOPT:
    return WSAENOPROTOOPT;
  case EPROTONOSUPPORT:
    return WSAEPROTONOSUPPORT;
  case ESOCKTNOSUPPORT:
    return WSAESOCKTNOSUPPORT;
  case EOPNOTSUPP:
    return WSAEOPNOTSUPP;
  case EAFNOSUPPORT:
    return WSAEAFNOSUPPORT;
  case EADDRINUSE:
    return WSAEADDRINUSE;
  case EADDRNOTAVAIL:
    return WSAEADDRNOTAVAIL;
  case ENETDOWN:
    return WSAENETDOWN;
  case ENETUNREACH:
    return WSAENETUNREACH;
  case ENETRESET:
    return WSAENETRESET;
  case ECONNABORTED:
    return WSAECONNABORTED;
  case ECONNRESET:
  case EPIPE:
    return WSAECONNRESET;
  case ENOBUFS:
  case ENOMEM:
    return WSAENOBUFS;
  case EISCONN:
    return WSAEISCONN;
  case ENOTCONN:
    return WSAENOTCONN;
  case ESHUTDOWN:
    return WSAESHUTDOWN;
  case ETIMEDOUT:
    return WSAETIMEDOUT;
  case ECONNREFUSED:
    return WSAECONNREFUSED;
  case EHOSTUNREACH:
  case EHOSTDOWN:
    return WSAEHOSTUNREACH;
  default:
    return WSASYSCALLFAILURE;
  }
}

int WSAGetLastError() {
  return t_lastError;
}

void WSASetLastError(int error) {
  t_lastError = error;
}

} // namespace ql
