#include "proxy/platform/host_lookup.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"
#include "proxy/platform/winsock.h"
#include "proxy/platform/winsock_state.h"
#include "proxy/platform/winsock_test_hooks.h"

#include <cstring>

namespace ql {
namespace {

int g_startupCount = 0;
bool g_trumpetForTest = false;

void CopyText(char *target, std::size_t size, const char *text) {
  std::strncpy(target, text, size - 1);
  target[size - 1] = '\0';
}

} // namespace

bool WinsockStarted() {
  return g_startupCount > 0;
}

void SetTrumpetStackForTest(bool trumpet) {
  g_trumpetForTest = trumpet;
}

int WSAStartup(WORD versionRequested, WSADATA *data) {
  const int major = versionRequested & 0xFF;
  const int minor = (versionRequested >> 8) & 0xFF;
  if (major < 1 || (major == 1 && minor < 1)) {
    return WSAVERNOTSUPPORTED;
  }
  if (data == nullptr) {
    return WSAEFAULT;
  }
  std::memset(data, 0, sizeof *data);
  data->wVersion = MAKEWORD(1, 1);
  data->wHighVersion = MAKEWORD(1, 1);
  CopyText(data->szDescription, sizeof data->szDescription,
           g_trumpetForTest ? "Trumpet Winsock stand-in for tests" : "Quenlark sockets over POSIX TCP/IP");
  CopyText(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
  data->iMaxSockets = 32767;
  data->iMaxUdpDg = 0;
  if (g_startupCount == 0) {
    sys::RaiseDescriptorLimit();
  }
  ++g_startupCount;
  return 0;
}

int WSACleanup() {
  if (g_startupCount == 0) {
    WSASetLastError(WSANOTINITIALISED);
    return SOCKET_ERROR;
  }
  if (--g_startupCount == 0) {
    CancelAllLookups();
    CloseAllSockets();
  }
  return 0;
}

} // namespace ql
