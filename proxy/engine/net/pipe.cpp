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

void TPipe::StartTimeout() {
  StartTimer(kTimeoutMs, 2);
}

void TPipe::StartDeadline(unsigned ms) {
  StartTimer(ms, 1);
}

void TPipe::StartWatch(unsigned ms) {
  StartTimer(ms, 0);
}

void TPipe::StartTimer(unsigned ms, int ticksToClose) {
  tickCount_ = 0;
  ticksToClose_ = ticksToClose;
  KillTimeout();
  timerId_ = Form1->NextTimerId();
  Form1->StartConnectionTimer(timerId_, ms, *this);
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
