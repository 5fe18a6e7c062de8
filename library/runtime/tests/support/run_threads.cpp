#include "support/run_threads.h"

#include "library/runtime/windows/scheduler.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace vx::test {

void RunAllThreads(int limitMs) {
  bool timedOut = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] {
    timedOut = true;
    scheduler::UnwindAll();
  });
  watchdog.start(limitMs);
  scheduler::RunUntilAllEnded();
  EXPECT_FALSE(timedOut) << "run-time threads still running after " << limitMs << " ms";
}

void WaitFor(const std::function<bool()> &ready) {
  const int thread = scheduler::CurrentThread();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [thread] { scheduler::Wake(thread); });
  poll.start(2);
  scheduler::WaitUntil(ready);
}

ScriptedDialogs::ScriptedDialogs(MessageHandler message, PopupHandler popup, FileDialogHandler file)
    : oldMessage_(SetMessageHandler(std::move(message))), oldPopup_(SetPopupHandler(std::move(popup))),
      oldFile_(SetFileDialogHandler(std::move(file))) {}

ScriptedDialogs::~ScriptedDialogs() {
  SetMessageHandler(std::move(oldMessage_));
  SetPopupHandler(std::move(oldPopup_));
  SetFileDialogHandler(std::move(oldFile_));
}

} // namespace vx::test
