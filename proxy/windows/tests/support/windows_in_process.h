#pragma once

#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/timer_scale.h"

#include <QByteArray>
#include <QTemporaryDir>

namespace ql::test {

// What a test needs to create the program's windows in its own process: a temporary folder
// with the runtime folder (the DDE services, the register of windows) in it, the engine's
// state reset and its timers run twenty times faster. Everything is put back when it goes.
class TWindowsInProcess {
public:
  TWindowsInProcess() : savedRuntime_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", dir.filePath("runtime").toUtf8());
    ResetEngineState();
    SetTimerScale(0.05);
  }
  ~TWindowsInProcess() {
    SetTimerScale(1.0);
    ResetEngineState();
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
  }
  TWindowsInProcess(const TWindowsInProcess &) = delete;
  TWindowsInProcess &operator=(const TWindowsInProcess &) = delete;

  QTemporaryDir dir;

private:
  QByteArray savedRuntime_;
};

} // namespace ql::test
