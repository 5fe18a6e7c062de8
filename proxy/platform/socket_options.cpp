#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock.h"

#include <cstring>

namespace ql {
namespace {

bool OptionFor(int optionName, sys::IntOption *option) {
  switch (optionName) {
  case SO_RCVBUF:
    *option = sys::IntOption::ReceiveBuffer;
    return true;
  case SO_SNDBUF:
    *option = sys::IntOption::SendBuffer;
    return true;
  case SO_REUSEADDR:
    *option = sys::IntOption::ReuseAddress;
    return true;
  default:
    return false;
  }
}

} // namespace

int setsockopt(SOCKET s, int level, int optionName, const char *optionValue, int optionLength) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (level != SOL_SOCKET) {
    return Fail(WSAEINVAL);
  }
  if (optionValue == nullptr || optionLength < static_cast<int>(sizeof(int))) {
    return Fail(WSAEFAULT);
  }
  sys::IntOption option;
  if (!OptionFor(optionName, &option)) {
    return Fail(WSAENOPROTOOPT);
  }
  int value;
  std::memcpy(&value, optionValue, sizeof value);
  if (option == sys::IntOption::ReuseAddress) {
    value = value != 0 ? 1 : 0;
  } else if (value < 0) {
    return Fail(WSAEINVAL);
  }
  const int result = sys::SetIntOption(record->fd, option, value);
  return result < 0 ? FailErrno(result) : 0;
}

int getsockopt(SOCKET s, int level, int optionName, char *optionValue, int *optionLength) {
  SocketRecord *record = FindSocket(s);
  if (record == nullptr) {
    return Fail(WSAENOTSOCK);
  }
  if (level != SOL_SOCKET) {
    return Fail(WSAEINVAL);
  }
  if (optionValue == nullptr || optionLength == nullptr || *optionLength < static_cast<int>(sizeof(int))) {
    return Fail(WSAEFAULT);
  }
  sys::IntOption option;
  if (!OptionFor(optionName, &option)) {
    return Fail(WSAENOPROTOOPT);
  }
  int value = 0;
  const int result = sys::GetIntOption(record->fd, option, &value);
  if (result < 0) {
    return FailErrno(result);
  }
  std::memcpy(optionValue, &value, sizeof value);
  *optionLength = sizeof value;
  return 0;
}
} // namespace ql
