#pragma once

#include "proxy/windows/exit_restore.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

class QSocketNotifier;

namespace ql {

// Turns SIGINT and SIGTERM into an orderly end of the program at any moment: the signal
// handler only notes the request and writes a byte to two pipes. The GUI thread, woken by the
// first (also inside the nested loop of a modal dialog), closes any modal dialog and runs the
// stop action, by default QCoreApplication::quit(); the program's is the road of Exit, so that
// a signal records what Exit records. The program then leaves exec() and frees its windows, so
// the engine stops in its usual order; a signal that came before exec() is seen by
// Requested(), which the program asks before it enters the loop.
//
// A watchdog thread reads the second pipe. When the GUI thread has not taken the request up
// within the patience, because it hangs, the watchdog runs the hang action on its own thread
// and then ends the process by the signal that came. The hang action is the exit's restore of
// the browser: it runs through ExitRestore(), which the window thread's exit uses too, so only
// one of them restores; when the window thread's restore is under way, the watchdog waits for
// it (at most the patience again) instead. The handler leaves errno as it found it. One instance
// per process; it restores the default handlers and stops the watchdog when destroyed.
class TStopSignals : public QObject {
public:
  explicit TStopSignals(std::function<void()> hangAction = {},
                        std::chrono::milliseconds patience = std::chrono::seconds(5));
  ~TStopSignals() override;

  // True once SIGINT or SIGTERM arrived.
  static bool Requested();
  // What the GUI thread does on a stop request; an empty action is QCoreApplication::quit().
  void SetStopAction(std::function<void()> action) { stopAction_ = std::move(action); }
  // Takes up the requests that came, as the GUI thread does when the pipe wakes it: modal
  // dialogs closed, then the stop action. For a request that came before the event loop runs.
  void TakeUp();
  // The once-only restore that the hang action and the window thread's exit share.
  TExitRestore &ExitRestore() { return exitRestore_; }

private:
  void Watch();

  QSocketNotifier *notifier_ = nullptr;
  std::function<void()> stopAction_;
  std::function<void()> hangAction_;
  std::chrono::milliseconds patience_;
  TExitRestore exitRestore_;
  std::atomic<bool> takenUp_{false};
  std::thread watchdog_;
};

} // namespace ql
