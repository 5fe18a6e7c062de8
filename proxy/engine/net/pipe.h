#pragma once

#include "proxy/engine/net/buffer.h"
#include "proxy/platform/winsock.h"

#include <cstddef>
#include <cstdint>

namespace ql {

// Connection states; one numbering for both kinds of connection. The browser side uses
// kCreated, kConnected and kClosed only.
enum class TPipeState : std::uint8_t {
  kCreated = 0,
  kLookingUp = 1,
  kLookupFailed = 2,
  kConnecting = 3,
  kConnected = 4, // browser side: accepted
  kClosed = 5,
  kFailed = 6, // no socket, or the connection did not start
  kTimedOut = 7,
  kAbandoned = 8, // the browser went away
};

// The common base of the browser-side and origin-side connections. It owns two byte
// queues, the socket handle, a state and an inactivity timer: a window timer of the
// network window that closes the connection on its second tick after the last
// StartTimeout, or on its first tick after StartDeadline; after StartWatch it only ticks, and
// the connection decides in ConnectionTimer. A connection that finds no timer id free is
// closed at once (state kFailed, unless a lookup was running) and counted by the network
// window: nothing else would ever close it. Each kind finishes itself in CloseSock, which
// moves it to the network window's FreePipeList; the engine destroys it from there.
class TPipe {
public:
  static constexpr unsigned kTimeoutMs = 60000;

  TPipe();
  virtual ~TPipe();
  TPipe(const TPipe &) = delete;
  TPipe &operator=(const TPipe &) = delete;

  virtual void CloseSock() {}

  // Each of the three starts the timer with a fresh id and returns true, or, when no id is
  // free, closes the connection and returns false.
  // Restarts the inactivity period.
  bool StartTimeout();
  // Starts the inactivity timer so that its first tick, ms from now, closes the connection.
  bool StartDeadline(unsigned ms);
  // Starts the timer ticking every ms without closing the connection by itself.
  bool StartWatch(unsigned ms);
  void KillTimeout();
  // One tick of the inactivity timer; the second one since StartTimeout (the first since
  // StartDeadline) closes the connection (state kTimedOut, unless a lookup was running).
  void TimerTick();
  // The network window's window timer `id`, which this connection started, ticked.
  virtual void ConnectionTimer(int id);

  int TimerId() const { return timerId_; }
  // The number of connection objects of either kind that exist, listed or waiting to be freed.
  static std::size_t LiveCount() { return liveCount_; }

  // Browser side: bytes waiting to go to the browser. Origin side: bytes received and not
  // yet processed.
  TBuffer Buffer;
  // Origin side: bytes waiting to go to the origin.
  TBuffer BufferSend;
  TPipeState State = TPipeState::kCreated;
  SOCKET Socket = INVALID_SOCKET;
  // Task handle of a running host-name lookup (origin side), 0 when none.
  HANDLE LookupTask = 0;

protected:
  // A timer id of the network window for this connection; 0 when none is free, and then the
  // connection has been closed.
  int NewTimerId();

private:
  bool StartTimer(unsigned ms, int ticksToClose);

  static inline std::size_t liveCount_ = 0;

  int ticksToClose_ = 2; // 0: the timer never closes the connection by itself
  int tickCount_ = 0;
  int timerId_ = -1;
};

} // namespace ql
