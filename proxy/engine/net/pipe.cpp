#include "proxy/engine/net/pipe.h"

#include "proxy/engine/net/network_window.h"

namespace ql {

TPipe::TPipe() {
  ++liveCount_;
}

TPipe::~TPipe() {
  KillTimeout();
  --liveCount_;
}

bool TPipe::StartTimeout() {
  return StartTimer(kTimeoutMs, 2);
}

bool TPipe::StartDeadline(unsigned ms) {
  return StartTimer(ms, 1);
}

bool TPipe::StartWatch(unsigned ms) {
  return StartTimer(ms, 0);
}

bool TPipe::StartTimer(unsigned ms, int ticksToClose) {
  tickCount_ = 0;
  ticksToClose_ = ticksToClose;
  KillTimeout();
  const int id = NewTimerId();
  if (id == 0) {
    return false;
  }
  timerId_ = id;
  Form1->StartConnectionTimer(timerId_, ms, *this);
  return true;
}

int TPipe::NewTimerId() {
  const int id = Form1->NextTimerId();
  if (id == 0) {
    // Without its timer nothing would ever close the connection, and its descriptor would be
    // held for good.
    Form1->NoteTimerlessClose();
    if (State != TPipeState::kLookingUp) {
      State = TPipeState::kFailed;
    }
    CloseSock();
  }
  return id;
}

void TPipe::KillTimeout() {
  if (timerId_ != -1) {
    if (Form1 != nullptr) {
      Form1->StopConnectionTimer(timerId_);
    }
    timerId_ = -1;
  }
}

void TPipe::TimerTick() {
  if (ticksToClose_ == 0 || ++tickCount_ < ticksToClose_) {
    return;
  }
  KillTimeout();
  if (State != TPipeState::kLookingUp) {
    State = TPipeState::kTimedOut;
  }
  CloseSock();
}

void TPipe::ConnectionTimer(int id) {
  if (id == timerId_) {
    TimerTick();
  }
}

} // namespace ql
