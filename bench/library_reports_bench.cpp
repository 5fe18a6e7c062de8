// Prints the timings of the reports, the report preview and the text viewer; see
// bench/library-reports.

#include "bench/library_bench_support.h"
#include "library/core/progress_window.h"
#include "library/reports/print_report.h"
#include "library/reports/report_preview.h"
#include "library/reports/text_viewer.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/spin_control.h"
#include "library/runtime/windows/table_list_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vx;

namespace {

double Ms(const QElapsedTimer &timer) {
  return timer.nsecsElapsed() / 1e6;
}

Window *WindowTitled(int thread, const QString &title) {
  for (Window *window : scheduler::WindowsOf(thread)) {
    if (window->IsOpen() && window->Title() == title)
      return window;
  }
  return nullptr;
}

// Measures the longest time the main loop went without turning, while it runs.
class LoopWatch {
public:
  LoopWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (last_.isValid())
        longest_ = std::max(longest_, Ms(last_));
      last_.start();
    });
    timer_.start(1);
  }
  double Longest() const { return longest_; }

private:
  QTimer timer_;
  QElapsedTimer last_;
  double longest_ = 0;
};

void Row(const char *name, double value, double target, const char *unit = "ms") {
  std::printf("%-44s %10.1f %s   target < %.0f %s: %s\n", name, value, unit, target, unit,
              value < target ? "ok" : "SLOW");
}

void Row(const char *name, std::vector<double> values, double target) {
  std::sort(values.begin(), values.end());
  std::printf("%-44s median %6.1f ms, worst %6.1f ms   target < %.0f ms: %s\n", name,
              values[values.size() / 2], values.back(), target, values.back() < target ? "ok" : "SLOW");
}

// Posts an event to the preview and returns the time until the preview has shown the change
// (its status zones changed) and the window has been painted again.
double Time(Window &preview, const Event &event) {
  const QString before = preview.Bars().ZoneText(2) + preview.Bars().ZoneText(3);
  QElapsedTimer timer;
  timer.start();
  preview.Post(event);
  scheduler::RunUntil([&] { return preview.Bars().ZoneText(2) + preview.Bars().ZoneText(3) != before; });
  preview.Outer()->repaint();
  return Ms(timer);
}

void BenchReport(int sites) {
  QElapsedTimer fill;
  fill.start();
  bench::FillLibrary(sites);
  std::printf("%d sites written in %.1f s\n\n", sites, fill.nsecsElapsed() / 1e9);

  LoopWatch watch;
  QElapsedTimer timer;
  timer.start();
  const int thread = START(PrintURLByLocation);
  scheduler::RunUntil([thread] { return WindowTitled(thread, QStringLiteral("Report Preview")) != nullptr; });
  const double generation = Ms(timer);
  const double longestPause = watch.Longest();
  Window &preview = *WindowTitled(thread, QStringLiteral("Report Preview"));
  const QString pages = preview.Bars().ZoneText(2);
  Row("report of the sites by Location, all pages", generation, 3000);
  Row("  longest pause of the event loop meanwhile", longestPause, 50);
  std::printf("  (%s)\n", qPrintable(pages));

  std::vector<double> next, previous, zoom, grid;
  for (int i = 0; i < 20; ++i)
    next.push_back(Time(preview, Event{EventKind::Accepted, kPreviewNext}));
  for (int i = 0; i < 20; ++i)
    previous.push_back(Time(preview, Event{EventKind::Accepted, kPreviewPrevious}));
  for (int round = 0; round < 3; ++round) {
    for (int item = 1; item < 7; ++item)
      zoom.push_back(Time(preview, Event{EventKind::Accepted, kPreviewNoZoom + item}));
    zoom.push_back(Time(preview, Event{EventKind::Accepted, kPreviewNoZoom}));
  }
  auto &across = preview.Get<SpinControl>(kPreviewAcrossSpin);
  auto &down = preview.Get<SpinControl>(kPreviewDownSpin);
  across.SetSpinValue(3);
  across.Update();
  down.SetSpinValue(3);
  down.Update();
  grid.push_back(Time(preview, Event{EventKind::NewSelection, kPreviewDownSpin}));
  for (int i = 0; i < 10; ++i)
    grid.push_back(Time(preview, Event{EventKind::Accepted, kPreviewNext}));
  Row("preview: next page (one page shown)", next, 50);
  Row("preview: previous page (one page shown)", previous, 50);
  Row("preview: change of zoom", zoom, 50);
  Row("preview: next 3 x 3 pages", grid, 50);
  preview.Post(EventKind::Accepted, kPreviewExit);
  scheduler::RunUntil([thread] { return !scheduler::IsAlive(thread); });
}

void BenchViewer(qint64 bytes) {
  {
    QFile file(QStringLiteral("whatsnew.txt"));
    if (!file.open(QIODevice::WriteOnly))
      std::exit(1);
    QRandomGenerator random(7);
    QByteArray text;
    while (text.size() < bytes - 100) {
      text += bench::Words(random, 3 + random.bounded(12)).toLatin1();
      text += '\n';
    }
    text += "the very last line holds the word zeppelin\n";
    file.write(text);
  }
  int shows = 0;
  QString last;
  ProgressWindow::SetObserver([&](const QString &, int, const QString &text) {
    ++shows;
    last = text;
  });
  LoopWatch watch;
  QElapsedTimer timer;
  timer.start();
  const int thread = START(WhatsNew);
  Window *viewer = nullptr;
  scheduler::RunUntil([&] {
    viewer = WindowTitled(thread, QStringLiteral("What's New"));
    return viewer && scheduler::WindowsOf(thread).back() == viewer && last.startsWith(QStringLiteral("100%"));
  });
  const double load = Ms(timer);
  std::printf("\n");
  Row("viewer: load a 5 MB text file", load, 1000);
  Row("  longest pause of the event loop meanwhile", watch.Longest(), 50);
  std::printf("  (%d progress texts shown, the last \"%s\"; %d lines)\n", shows, qPrintable(last),
              viewer->Get<TableListControl>(kViewerList).RowCount());

  // Find from the top for a word that only the last line holds.
  SetMessageHandler([](const MessageRequest &) { return int(BUTTON_NO); });
  auto &list = viewer->Get<TableListControl>(kViewerList);
  std::vector<double> find;
  for (int i = 0; i < 5; ++i) {
    list.SetSelectedRow(1);
    QElapsedTimer search;
    search.start();
    viewer->Post(EventKind::Accepted, kViewerFind);
    Window *dialog = nullptr;
    scheduler::RunUntil([&] { return (dialog = WindowTitled(thread, QStringLiteral("Searching Text..."))); });
    dialog->Get<EntryControl>(kFindText).SetText(QStringLiteral("zeppelin"));
    search.restart();
    dialog->Post(EventKind::Accepted, kFindOk);
    scheduler::RunUntil([&] { return list.SelectedRow() == list.RowCount(); });
    find.push_back(Ms(search));
  }
  Row("viewer: Find from the top to the last line", find, 100);
  viewer->Post(EventKind::Accepted, kViewerClose);
  scheduler::RunUntil([thread] { return !scheduler::IsAlive(thread); });
  ProgressWindow::SetObserver({});
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  const int sites = argc > 1 ? std::atoi(argv[1]) : 10000;
  const qint64 bytes = argc > 2 ? std::atoll(argv[2]) : 5 * 1024 * 1024;
  if (sites <= 0 || bytes <= 0) {
    std::fprintf(stderr, "usage: library_reports_bench [sites] [text bytes]\n");
    return 2;
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  SetMessageHandler([](const MessageRequest &) { return int(BUTTON_OK); });
  BenchReport(sites);
  BenchViewer(bytes);
  QDir::setCurrent(QDir::tempPath());
  return 0;
}
