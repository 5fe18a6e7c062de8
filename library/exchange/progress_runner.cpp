#include "library/exchange/progress_runner.h"

#include "library/core/progress_window.h"

namespace vx {

namespace {

// The BatchProgress of a process run in the progress window.
class WindowProgress : public BatchProgress {
public:
  explicit WindowProgress(ProgressWindow &window) : window_(window) {}

  void ShowTexts(const QString &title, const QString &text) override { window_.SetTexts(title, text); }
  void ShowPercent(int percent, const QString &line) override {
    if (!window_.Show(percent, line))
      window_.ShowText(line);
  }
  bool CancelPressed() const override { return cancelled; }

  bool cancelled = false;

private:
  ProgressWindow &window_;
};

} // namespace

int RunInProgressWindow(const ProcessMaker &make) {
  ProgressWindow window;
  window.Open(QStringLiteral("Progress..."), QString());
  WindowProgress progress(window);
  const std::unique_ptr<BatchProcess> process = make(progress);
  bool running = true;
  while (window.window().Accept()) {
    const Event &event = window.window().CurrentEvent();
    if (event.kind == EventKind::Timer && running) {
      window.StartBatch(1);
      for (int steps = 0; running && window.BatchGoesOn(steps); ++steps)
        running = process->Step();
      if (!running)
        window.window().Post(EventKind::CloseWindow);
    } else if (event.kind == EventKind::Accepted && event.control == ProgressWindow::kCancel && running) {
      running = false;
      progress.cancelled = true;
      window.window().Post(EventKind::CloseWindow);
    }
  }
  // A window closed before the process ended (its close box, the program ending) cancels.
  if (running)
    progress.cancelled = true;
  const int response = process->Finish();
  window.Close();
  return response;
}

} // namespace vx
