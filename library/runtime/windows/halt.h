#pragma once

#include <QString>

namespace vx {

// The end of the program, requested by HALT. The scheduler of the run-time's threads
// catches it, unwinds to the main stack and ends the program with `code` as its exit code;
// main() catches it when no scheduler runs. The end text has already been shown when the
// exception is thrown; `text` is kept for the log only.
struct HaltRequest {
  int code = 0;
  QString text;
};

// Ends the program: shows `text`, when there is one, in a message box, then throws
// HaltRequest. Nothing after the call runs.
[[noreturn]] void HALT(int code = 0, const QString &text = {});

// Shows `text` with the buttons Abort and Ignore (Ignore the default). Abort ends the
// program through HALT; Ignore returns, and the caller goes on.
void STOP(const QString &text);

} // namespace vx
