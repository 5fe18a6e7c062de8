#include "support/gui_support.h"

#include "library/runtime/windows/scheduler.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::test {

bool RunWithin(int limitMs, const std::function<void()> &work) {
  bool timedOut = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] {
    timedOut = true;
    scheduler::UnwindAll();
  });
  watchdog.start(limitMs);
  work();
  return !timedOut;
}

void RunAllThreads(int limitMs) {
  EXPECT_TRUE(RunWithin(limitMs, scheduler::RunUntilAllEnded))
      << "run-time threads still running after " << limitMs << " ms";
}

void WaitFor(const std::function<bool()> &ready) {
  const int thread = scheduler::CurrentThread();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [thread] { scheduler::Wake(thread); });
  poll.start(2);
  scheduler::WaitUntil(ready);
}

TempSetup::TempSetup() : previousConfig_(qgetenv("XDG_CONFIG_HOME")), previousDir_(QDir::currentPath()) {
  qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
  QDir::setCurrent(work_.path());
}

TempSetup::~TempSetup() {
  QDir::setCurrent(previousDir_);
  qputenv("XDG_CONFIG_HOME", previousConfig_);
}

QString TempSetup::IniPath() const {
  return config_.path() + QStringLiteral("/vornix/VORNIX.INI");
}

} // namespace vx::test
