#include "proxy/engine/net/listener_restart.h"

#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/listener.h"
#include "proxy/platform/message_queue.h"

#include <algorithm>
#include <memory>

namespace ql {

namespace {

void Accept(int port, bool loopback) {
  EngineSettings.HTTPProxyPort = port;
  EngineSettings.UseLoopback = loopback;
}

} // namespace

bool RestartListener(int port, bool loopback) {
  if (Listener == nullptr)
    return false;
  if (port != Listener->Port) {
    auto moved = std::make_unique<TListener>();
    moved->Port = port;
    moved->Loopback = loopback;
    if (moved->StartListening() == INVALID_SOCKET)
      return false;
    TListener *old = Listener;
    Listener = moved.get();
    ListenerList.push_back(std::move(moved));
    std::erase_if(ListenerList,
                  [old](const std::unique_ptr<TListener> &listener) { return listener.get() == old; });
    // Notifications already queued for the old socket find no listener and are dropped.
    ProcessMessages();
    Accept(port, loopback);
    return true;
  }
  const bool oldLoopback = Listener->Loopback;
  if (Listener->Listening())
    Listener->StopListening();
  ProcessMessages();
  Listener->Loopback = loopback;
  if (Listener->StartListening() != INVALID_SOCKET) {
    Accept(port, loopback);
    return true;
  }
  Listener->Loopback = oldLoopback;
  Listener->StartListening();
  return false;
}

} // namespace ql
