#pragma once

#include "library/exchange/progress_runner.h"

namespace vx {

// Registers the exchange's procedures in the program's procedure table, for the frame's
// File menu: MonitorClipboard always. The merge (ImportVORNIX) and the conversions at
// start-up (installed in the version check's steps) need the progress window of the
// library's batch work: they are registered only with its runner, so that without one
// File > Merge URL databases stays disabled and old files wait for a later start.
void RegisterExchangeProcedures(const ProgressRunner &run = {});

} // namespace vx
