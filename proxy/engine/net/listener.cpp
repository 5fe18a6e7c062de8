#include "proxy/engine/net/listener.h"

#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/net/own_endpoints.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/timer.h"

namespace ql {

namespace {

constexpr long kListenerEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

} // namespace

TListener::TListener()
    : resume_(std::make_unique<Timer>(
          [this] {
            resume_->SetEnabled(false);
            if (listening_) {
              SelectEvents(true);
            }
          },
          kAcceptPauseMs)) {}

TListener::~TListener() {
  if (listening_) {
    StopListening();
  }
}

void TListener::SelectEvents(bool accepting) {
  WSAAsyncSelect(socket_, Form1, WM_CLIENTSOCKET, accepting ? kListenerEvents : kListenerEvents & ~FD_ACCEPT);
}

namespace {

void ShowListenFailure(int error) {
  MessageDlg(QStringLiteral("Unable to create a listening connection. Please restart Windows and try again "
                            "(Error code %1)")
                 .arg(error),
             DialogKind::Error, DialogButtons::Ok);
}

} // namespace

SOCKET TListener::StartListening() {
  if (Port < 1 || Port > 65535) {
    ShowListenFailure(WSAEINVAL);
    return INVALID_SOCKET;
  }
  socket_ = socket(AF_INET, SOCK_STREAM, 0);
  if (socket_ == INVALID_SOCKET) {
    return INVALID_SOCKET;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(Port));
  address.sin_addr.s_addr = htonl(Loopback ? INADDR_LOOPBACK : INADDR_ANY);

  if (WSAAsyncSelect(socket_, Form1, WM_CLIENTSOCKET, kListenerEvents) == SOCKET_ERROR) {
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
    return INVALID_SOCKET;
  }
  // A failed bind makes the listen below fail, so the listener never ends up on a port
  // that the system picked.
  bind(socket_, reinterpret_cast<const sockaddr *>(&address), static_cast<int>(sizeof(address)));
  if (listen(socket_, SOMAXCONN) == SOCKET_ERROR) {
    ShowListenFailure(WSAGetLastError());
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
    return INVALID_SOCKET;
  }
  Form1->Log(QStringLiteral("Now listening on hSocket %1 port %2").arg(socket_).arg(Port));
  listening_ = true;
  return socket_;
}

int TListener::StopListening() {
  resume_->SetEnabled(false);
  WSAAsyncSelect(socket_, Form1, 0, 0);
  const int result = closesocket(socket_);
  if (result == 0) {
    listening_ = false;
    socket_ = INVALID_SOCKET;
  }
  return result;
}

void TListener::AcceptConnection() {
  sockaddr_in peer{};
  int length = sizeof(peer);
  const SOCKET accepted = accept(socket_, reinterpret_cast<sockaddr *>(&peer), &length);
  if (accepted == INVALID_SOCKET) {
    const int error = WSAGetLastError();
    if (error == WSAEMFILE || error == WSAENOBUFS) {
      // No descriptor for the connection: it stays pending until one is free.
      SelectEvents(false);
      resume_->SetEnabled(true);
    }
    return;
  }
  auto pipe = std::make_unique<TClientPipe>(accepted);
  pipe->State = TPipeState::kConnected;
  if (OwnOriginEndpoints.IsLocalEnd(peer)) {
    sockaddr_in local{};
    int localLength = sizeof(local);
    pipe->LoopedBack = getsockname(accepted, reinterpret_cast<sockaddr *>(&local), &localLength) == 0 &&
                       OwnOriginEndpoints.Contains(peer, local);
  }
  // Listed first: a connection that gets no timer closes itself, which takes it off the list.
  TClientPipe *listed = pipe.get();
  ClientPipeList.push_back(std::move(pipe));
  listed->StartDeadline(TClientPipe::kHeaderDeadlineMs);
}

} // namespace ql
