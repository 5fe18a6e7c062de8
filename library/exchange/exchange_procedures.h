#pragma once

#include "library/exchange/progress_runner.h"

namespace vx {

// Registers the exchange's procedures in the program's procedure table, for the frame's
// File menu: MonitorClipboard always. The import window (ImportMain), the export window
// (ExportMain), the merge (ImportVORNIX) and the conversions at start-up (installed in the
// version check's steps) run their work in the progress window of `run`: they are registered
// only with a runner, so that without one File > Import, File > Export and File > Merge URL
// databases stay disabled and old files wait for a later start. The program passes
// RunInProgressWindow.
void RegisterExchangeProcedures(const ProgressRunner &run = {});

} // namespace vx
