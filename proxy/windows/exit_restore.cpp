#include "proxy/windows/exit_restore.h"

namespace ql {

bool TExitRestore::Run(const std::function<void()> &restore) {
  {
    const std::lock_guard lock(mutex_);
    if (state_ != State::kNotYet)
      return false;
    state_ = State::kRunning;
  }
  struct End {
    TExitRestore &owner;
    ~End() {
      {
        const std::lock_guard lock(owner.mutex_);
        owner.state_ = State::kDone;
      }
      owner.ended_.notify_all();
    }
  } end{*this};
  restore();
  return true;
}

void TExitRestore::WaitWhileRunning(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  ended_.wait_for(lock, timeout, [this] { return state_ != State::kRunning; });
}

} // namespace ql
