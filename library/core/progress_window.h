#pragma once

#include "library/runtime/windows/window.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>

namespace vx {

// The progress window of the library's batch work (reports, text viewers, conversions): a
// window of 142 × 59 dialog units, or wider where its caption needs more room to show whole
// in a window manager's title bar, centred over the frame, with a progress bar from 0 to
// 100 (control 1), a text above it (2), a percentage text below it (3), a Cancel button (4)
// and a timer of one hundredth of a second. The procedure runs the window's ACCEPT loop
// itself and does one batch of its work per Timer event:
//
//   ProgressWindow progress;
//   progress.Open(QStringLiteral("Generating Report"), QString());
//   while (progress.window().Accept()) {
//     if (Timer event) for (progress.StartBatch(); progress.BatchGoesOn(done); ++done) {...}
//     ...
//   }
//   progress.Close();
//
// A batch does at least the procedure's own count of units (records, bytes, lines) and then
// goes on while the Timer event has lasted less than the batch budget (8 ms), so that
// long work goes at the machine's pace while the window and the rest of the program still
// answer between batches. The bar and the percentage text are redrawn only when the whole
// percentage changes.
class ProgressWindow {
public:
  enum Control : int { kBar = 1, kHeading = 2, kPercentText = 3, kCancel = 4 };

  ProgressWindow();
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow &) = delete;
  ProgressWindow &operator=(const ProgressWindow &) = delete;

  Window &window() { return window_; }

  // Opens the window with its caption and heading, the bar at 0 and "0% Completed".
  void Open(const QString &caption, const QString &heading);
  void Close();
  // Changes the caption and the heading of the open window.
  void SetTexts(const QString &caption, const QString &heading);

  // `done` × 100 ÷ `total` as a whole number (cut), from 0 to 100. Nothing to do (a total of
  // 0 or below) is complete: 100.
  static int PercentOf(qint64 done, qint64 total);
  // The percentage text: FORMAT(percent, "N3") followed by "% Completed".
  static QString PercentText(int percent);

  // The percentage last shown, which is also the bar's value.
  int Shown() const { return shown_; }
  // Shows `percent` with `text` under the bar when it differs from the one shown; true when
  // it did.
  bool Show(int percent, const QString &text);
  // Shows `text` under the bar, the percentage staying as it is ("Process Completed").
  void ShowText(const QString &text);

  // Starts the timing of a batch of at least `minimum` units.
  void StartBatch(int minimum);
  // Whether the batch goes on after `done` units.
  bool BatchGoesOn(int done) const;

  // Sets the batch budget in milliseconds (0: every batch is exactly its minimum) and
  // returns the one it replaces. For tests that count the batches.
  static int SetBatchBudgetMs(int ms);

  // Called with the window's caption, the percentage and its text each time they are shown;
  // returns the observer it replaces. For tests and benchmarks.
  using Observer = std::function<void(const QString &caption, int percent, const QString &text)>;
  static Observer SetObserver(Observer observer);

private:
  // Sets the caption; a window too narrow for it is widened about its centre (as every
  // window of its own is), and the texts span it.
  void SetTitle(const QString &caption);

  Window window_;
  int shown_ = 0;
  int minimum_ = 1;
  QElapsedTimer batch_;
};

} // namespace vx
