#pragma once

#include "library/exchange/batch_process.h"

#include <functional>
#include <memory>

namespace vx {

// Makes a batch process once the progress window that drives it exists: the process shows
// its texts and asks about Cancel through that window's BatchProgress.
using ProcessMaker = std::function<std::unique_ptr<BatchProcess>(BatchProgress &progress)>;

// Runs a batch process in the progress window of the library's batch work, on the calling
// run-time thread, and returns when the window has closed: the runner opens the window,
// makes the process with `make`, calls its Step on the window's timer until Step returns
// false or the user cancels, then its Finish once, closes the window and returns Finish's
// response (1 completed, 2 cancelled or failed).
//
// The exchange's windows take the runner as an argument and are registered with it
// (exchange_procedures.h), so that tests can drive their processes without a window
// (tests/support/headless_window.h). A window runs its process as ExportFile does:
//
//   void ExportFile(const ExportSettings &settings, const ProgressRunner &run) {
//     ProcedureScope scope;
//     scope.response = run([&settings](BatchProgress &progress) {
//       return std::make_unique<ExportProcess>(settings, progress);
//     });
//   }
using ProgressRunner = std::function<int(const ProcessMaker &make)>;

// The program's runner, on the progress window of the library's batch work (ProgressWindow).
// The window opens as "Progress..." with the bar at 0; the process's texts replace the
// caption and the heading. Each timer tick runs Steps while the tick lasts less than the
// window's batch budget, at least one, so that a short Step (25 sites of the export, 1000
// bytes of the merge) still goes at the machine's pace and the window keeps answering
// between ticks. Cancel, or the window closing early (its close box, the program ending),
// stops the Steps at once: no further Step runs, CancelPressed answers true, and Finish ends
// the process. Modal messages of a Step (STOP, standard messages) are shown over the window;
// HALT from one unwinds through the runner, which gives the process and the window back on
// the way.
int RunInProgressWindow(const ProcessMaker &make);

} // namespace vx
