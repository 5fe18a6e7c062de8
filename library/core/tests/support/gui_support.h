#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace vx::test {

// Runs `work` (which spins the main loop, as the program's entry does) under a watchdog: after
// `limitMs` the run-time threads still running are unwound so that `work` returns. Returns
// false when the watchdog had to do that.
bool RunWithin(int limitMs, const std::function<void()> &work);

// Runs the main loop until every run-time thread has ended; after `limitMs` it unwinds
// the threads that are left and fails the test.
void RunAllThreads(int limitMs = 20000);

// Waits on the running thread until `ready` holds, re-checking every few milliseconds.
void WaitFor(const std::function<bool()> &ready);

// Points XDG_CONFIG_HOME at a fresh temporary folder, and makes a fresh temporary working
// directory current, for the life of the object; both are put back afterwards.
class TempSetup {
public:
  TempSetup();
  ~TempSetup();
  TempSetup(const TempSetup &) = delete;
  TempSetup &operator=(const TempSetup &) = delete;

  QString IniPath() const;

private:
  QTemporaryDir config_;
  QTemporaryDir work_;
  QByteArray previousConfig_;
  QString previousDir_;
};

} // namespace vx::test
