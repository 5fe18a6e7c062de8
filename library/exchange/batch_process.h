#pragma once

#include <QString>

namespace vx {

// What a batch process of the exchange (export, import, merge, conversion) tells the progress
// window that drives it, and what it asks of it. The window shows a title, a text above its
// bar, the bar (0 to 100) and a percentage line below it, and has a Cancel button.
class BatchProgress {
public:
  virtual ~BatchProgress() = default;

  // The window's title and the text above the bar.
  virtual void ShowTexts(const QString &title, const QString &text) = 0;
  // The bar's position and the line below it ("  7% Completed", "Process Completed"). The
  // process calls it only when the whole percentage or the line changes.
  virtual void ShowPercent(int percent, const QString &line) = 0;
  // Whether the user has pressed Cancel. The process asks before each batch.
  virtual bool CancelPressed() const = 0;
};

// A process done in bounded batches, driven from outside: its window calls Step once per
// timer tick until Step returns false, then Finish once, also when the window was closed
// early. The process owns whatever it opened and gives it back in Finish or, when Finish
// never runs (the program ends), in its destructor.
class BatchProcess {
public:
  virtual ~BatchProcess() = default;

  // Does one batch; false when nothing is left to do (finished, cancelled or failed).
  virtual bool Step() = 0;
  // Ends the process; returns its response: 1 completed, 2 cancelled or failed.
  virtual int Finish() = 0;
};

// Drives `process` to its end without a window, batch after batch, and returns its response.
int RunToEnd(BatchProcess &process);

} // namespace vx
