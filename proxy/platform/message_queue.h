#pragma once

#include "proxy/platform/win_types.h"

#include <cstdint>
#include <functional>

namespace ql {

class MessageWindow;
class Timer;

// Where a queued entry came from. Entries of one source can be withdrawn before they are
// dispatched: the ticks of a killed timer, the notifications of a closed socket.
enum class MessageSource : std::uint8_t { Posted, WindowTimer, PlainTimer, Socket, Lookup, Task };

// One entry of the message queue. Exactly one of window, timer and task is set.
struct QueuedMessage {
  MessageWindow *window = nullptr;
  Timer *timer = nullptr;
  std::function<void()> task;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  MessageSource source = MessageSource::Posted;
  std::uint64_t sourceId = 0; // timer id, socket handle or lookup task handle
};

// The process-wide first-in-first-out message queue behind every MessageWindow and Timer.
//
// Entries are dispatched one at a time from the Qt event loop of the GUI thread, in the order
// they were queued. A dispatch never starts while another one runs: when a handler lets Qt
// events run (ProcessMessages, a modal dialog), new entries are queued and wait until the
// handler returns. Every dispatch catches and logs an exception and goes on; none reaches Qt.
// Everything here is for the GUI thread only.
namespace message_queue {

// Appends an entry and makes sure a drain is scheduled. Returns the entry's serial number:
// serials count up from 1 in the order of posting.
std::uint64_t Post(QueuedMessage message);

// True while the entry with this serial may still wait in the queue: it has not been taken
// out for dispatch (entries leave in the order of their serials).
bool MayBeQueued(std::uint64_t serial);

// The serial of the last entry posted so far (0 before the first).
std::uint64_t LastSerial();
// True once an entry posted after `serial` has been taken out for dispatch. Dispatch is in
// order and never re-entrant, so by then every entry up to `serial` is gone and a handler that
// ran while `serial` was the last one posted has returned.
bool TakenPast(std::uint64_t serial);

// Removes every queued entry for which the predicate holds. Used by the platform layer when
// a timer is killed, a socket is closed or a window or timer object is destroyed.
void Drop(const std::function<bool(const QueuedMessage &)> &predicate);

// True while a handler (window message, timer tick) runs.
bool InDispatch();

// Runs fn, in which the caller drains the queue itself with DrainNow instead of through the
// event loop: entries posted meanwhile schedule no drain. What is still queued when fn returns
// is scheduled as usual. The socket layer's readiness pass uses this, so that the messages it
// posts are handled in the same turn of the event loop. Nests.
void WithDirectDrain(const std::function<void()> &fn);

// Dispatches the entries queued now, as a scheduled drain would. Does nothing while a handler
// runs (dispatch is never re-entrant). Returns whether it dispatched anything.
bool DrainNow();

} // namespace message_queue

// Runs fn, logging and swallowing any exception, so that none escapes into Qt. Every place
// where Qt calls into the platform layer (queued dispatch, timer events, socket notifiers,
// lookup delivery) goes through it.
void RunGuarded(const char *context, const std::function<void()> &fn);

// Lets pending Qt events run now, as a long operation does every few items. Outside a
// handler this dispatches the queued messages too; inside one they stay queued (dispatch is
// never re-entrant) while socket readiness, ticks and lookup results keep being queued.
void ProcessMessages();

// Runs fn from the message loop after the entries queued before it, outside any handler.
// A handler that must show a modal dialog calls the dialog through this, so that ticks,
// socket messages and lookup results go on being dispatched while the dialog is up.
// An exception thrown by fn is logged and swallowed.
void RunOutsideDispatch(std::function<void()> fn);

} // namespace ql
