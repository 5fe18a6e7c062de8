#include "proxy/engine/net/pipe.h"

#include "proxy/engine/net/network_window.h"

namespace ql {

TPipe::~TPipe() {
  KillTimeout();
}

void TPipe::StartTimeout() {
  tickCount_ = 0;
  KillTimeout();
  timerId_ = Form1->NextTimerId();
  Form1->StartConnectionTimer(timerId_, kTimeoutMs);
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
  if (++tickCount_ < 2) {
    return;
  }
  KillTimeout();
  if (State != TPipeState::kLookingUp) {
    State = TPipeState::kTimedOut;
  }
  CloseSock();
}

} // namespace ql
