#pragma once

#include "proxy/platform/message_queue.h"
#include "proxy/platform/win_types.h"
#include "proxy/platform/window_timer_set.h"

#include <QBasicTimer>
#include <QObject>

namespace ql {

// The hidden window through which the proxy engine receives everything: posted messages,
// window-timer ticks, socket notifications (WSAAsyncSelect) and host-name lookup results
// (WSAAsyncGetHostByName). A subclass overrides WndProc and hands the messages it does not
// take to MessageWindow::WndProc, the default handler, which ignores them.
//
// Messages go through the process-wide queue of message_queue.h: first in, first out, one
// dispatch at a time, never re-entrant, exceptions caught and logged per dispatch.
//
// Timers: SetTimer(id, ms) ticks every ms milliseconds (scaled by SetTimerScale) as WM_TIMER
// with wParam = id until KillTimer(id). Setting a running id replaces that timer and restarts
// its period. At most one tick per timer waits in the queue. Once KillTimer returns, no tick
// of that id arrives, even one already queued. The window's timers share one Qt timer, so
// starting or killing one costs the same however many run.
//
// Destroying the window kills its timers, turns off the notifications of the sockets
// registered to it, cancels its pending host-name lookups and drops its queued messages.
// GUI thread only. The window owns its timers; it does not own sockets or lookups.
class MessageWindow : public QObject {
public:
  MessageWindow();
  ~MessageWindow() override;

  MessageWindow(const MessageWindow &) = delete;
  MessageWindow &operator=(const MessageWindow &) = delete;

  // Appends a message to the queue; it is dispatched later from the event loop, never from
  // inside this call.
  void PostMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  // Starts (or replaces) the periodic timer `id`. Returns true.
  bool SetTimer(UINT_PTR id, UINT ms);
  // Stops timer `id` and withdraws its queued tick. Returns false when no such timer ran, so
  // killing twice is harmless.
  bool KillTimer(UINT_PTR id);
  bool TimerRunning(UINT_PTR id) const { return timers_.Running(id); }

protected:
  // Handles one message. The base version is the default handler: it ignores the message.
  virtual void WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

  void timerEvent(QTimerEvent *event) override;

private:
  friend class MessageQueueDriver;

  void DispatchQueued(const QueuedMessage &message);
  void DropQueuedTick(UINT_PTR id);
  // Sets the Qt timer to the earliest tick of the window's timers.
  void ArmForNextTick();

  WindowTimerSet timers_;
  QBasicTimer qtTimer_;
  WindowTimerSet::Clock::time_point armedFor_{};
};

} // namespace ql
