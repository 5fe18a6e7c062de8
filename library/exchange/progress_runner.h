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
// makes the process with `make`, calls its Step once per timer tick until Step returns
// false or the user cancels, then its Finish once, closes the window and returns Finish's
// response (1 completed, 2 cancelled or failed). The merge and the conversions are started
// through the runner that the program installs (exchange_procedures.h).
using ProgressRunner = std::function<int(const ProcessMaker &make)>;

} // namespace vx
