#pragma once

#include "proxy/platform/winsock.h"

#include <memory>

namespace ql {

class Timer;

// The listening socket through which browsers reach the proxy. Each accepted connection
// becomes a TClientPipe in ClientPipeList. Notifications go to the network window as
// WM_CLIENTSOCKET; accepted sockets inherit that registration. It listens with the system's
// largest backlog, so that a burst of connections waits in the kernel rather than being
// dropped. When the process runs out of descriptors, accepting pauses for kAcceptPauseMs
// (FD_ACCEPT is not asked for meanwhile) instead of failing in a loop, then goes on. A failure
// to listen is shown in a dialog and leaves the listener without a socket. Owned by
// ListenerList; the destructor stops listening.
class TListener {
public:
  static constexpr unsigned kAcceptPauseMs = 100;

  TListener();
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
  void SelectEvents(bool accepting);

  SOCKET socket_ = INVALID_SOCKET;
  bool listening_ = false;
  std::unique_ptr<Timer> resume_;
};

} // namespace ql
