#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace ql {

// Puts the browser's proxy setting back at most once a run, on whichever thread comes first:
// the window thread's exit, or the stop-signal watchdog when the window thread does not answer.
// A thread that finds the restore done or under way does not restore again; the watchdog waits
// for a restore under way on the window thread before it ends the process, so that the setting
// is not left half written. Thread-safe.
class TExitRestore {
public:
  // Runs restore unless a restore ran or runs; true when this call ran it.
  bool Run(const std::function<void()> &restore);
  // Returns once no restore runs on another thread, or after timeout.
  void WaitWhileRunning(std::chrono::milliseconds timeout);

private:
  enum class State { kNotYet, kRunning, kDone };

  std::mutex mutex_;
  std::condition_variable ended_;
  State state_ = State::kNotYet;
};

} // namespace ql
