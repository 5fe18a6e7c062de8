#pragma once

#include "proxy/platform/winsock.h"

namespace ql {

// The listening socket through which browsers reach the proxy. Each accepted connection
// becomes a TClientPipe in ClientPipeList. Notifications go to the network window as
// WM_CLIENTSOCKET; accepted sockets inherit that registration. A failure to listen is
// shown in a dialog and leaves the listener without a socket. Owned by ListenerList; the
// destructor stops listening.
class TListener {
public:
  TListener() = default;
  ~TListener();
  TListener(const TListener &) = delete;
  TListener &operator=(const TListener &) = delete;

  // Result: the listening socket, or INVALID_SOCKET.
  SOCKET StartListening();
  // Returns the closesocket result (0 on success).
  int StopListening();
  // FD_ACCEPT: takes the pending connection.
  void AcceptConnection();

  SOCKET Socket() const { return socket_; }
  bool Listening() const { return listening_; }

  // 1 to 65535; any other value fails to listen (as a failed bind does), so the system
  // never picks a port.
  int Port = 0;
  // Bind to 127.0.0.1 only.
  bool Loopback = false;

private:
  SOCKET socket_ = INVALID_SOCKET;
  bool listening_ = false;
};

} // namespace ql
