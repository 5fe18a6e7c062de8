// Prints the timings of the Locations browse; see bench/library-browse.

#include "bench/library_bench_support.h"
#include "library/core/browse_list.h"
#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vx;
using vx::bench::Check;
using vx::bench::Words;

namespace {

void Fill(int count) {
  QRandomGenerator random(20261208);
  TakeFile(Categories());
  TakeFile(VORNIX());
  LOGOUT(2, {&Categories(), &VORNIX()});
  Check("LOGOUT");
  for (int i = 0; i < 50; ++i) {
    CLEAR(Categories());
    CAT().Category = QStringLiteral("Category %1").arg(i);
    ADD(Categories());
    Check("ADD category");
  }
  for (int i = 0; i < count; ++i) {
    CLEAR(VORNIX());
    URL().Location = QStringLiteral("%1://host%2.example/%3/page%4.html")
                         .arg(i % 7 ? "http" : "ftp")
                         .arg(random.bounded(5000))
                         .arg(Words(random, 1))
                         .arg(i);
    URL().Description = Words(random, 3);
    URL().Category = QStringLiteral("Category %1").arg(random.bounded(50));
    URL().Rating = random.bounded(11);
    URL().Keyword = i % 7 ? "http" : "ftp";
    ADD(VORNIX());
    Check("ADD site");
  }
  COMMIT();
  Check("COMMIT");
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());
}

// Watches the browse of one thread and times events posted to its window.
class Driver {
public:
  Driver() {
    SetBrowseObserver([this](const BrowseList &browse, const Event &event) {
      browse_ = &browse;
      if (event.kind == awaited_.kind && event.control == awaited_.control)
        handled_ = true;
    });
  }
  ~Driver() { SetBrowseObserver({}); }

  double Open() {
    browse_ = nullptr;
    QElapsedTimer timer;
    timer.start();
    thread_ = START(BrowseVORNIX);
    scheduler::RunUntil([this] { return browse_ && browse_->HasOpened() && !browse_->SelectionPending(); });
    return timer.nsecsElapsed() / 1e6;
  }

  double Time(const Event &event) {
    awaited_ = event;
    handled_ = false;
    QElapsedTimer timer;
    timer.start();
    Window::ActiveOf(thread_)->Post(event);
    scheduler::RunUntil([this] { return handled_ && !browse_->SelectionPending(); });
    return timer.nsecsElapsed() / 1e6;
  }

  Window &window() const { return *Window::ActiveOf(thread_); }
  const BrowseList &browse() const { return *browse_; }

  void Close() {
    window().Post(EventKind::CloseWindow);
    scheduler::RunUntil([this] { return !scheduler::IsAlive(thread_); });
  }

private:
  int thread_ = 0;
  const BrowseList *browse_ = nullptr;
  Event awaited_;
  bool handled_ = false;
};

struct Figure {
  std::vector<double> ms;
  void Add(double value) { ms.push_back(value); }
};

void Print(const char *name, const Figure &figure) {
  std::vector<double> sorted = figure.ms;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  const double worst = sorted.back();
  std::printf("%-36s %6zu %10.2f %10.2f   %s\n", name, sorted.size(), median, worst,
              worst < 50 ? "< 50 ms: ok" : "< 50 ms: SLOW");
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (count <= 0) {
    std::fprintf(stderr, "usage: library_browse_bench [sites]\n");
    return 2;
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QElapsedTimer fill;
  fill.start();
  Fill(count);
  std::printf("%d sites written in %.1f s\n", count, fill.nsecsElapsed() / 1e9);

  Driver driver;
  Figure open, pageDown, pageUp, lineDown, lineUp, locate, tab, top, bottom, drag;
  open.Add(driver.Open());
  std::printf("%d rows visible\n\n%-36s %6s %10s %10s   %s\n",
              driver.window().Get<ListControl>(kBrowseList).VisibleRows(), "figure (ms)", "runs", "median",
              "worst", "target");
  auto list = [](EventKind kind) { return Event{kind, kBrowseList}; };
  auto &sheet = driver.window().Get<SheetControl>(kBrowseSheet);
  for (int tabNumber : {1, 2, 3, 4, 5}) {
    sheet.SetChoice(tabNumber);
    tab.Add(driver.Time(Event{EventKind::NewSelection, kBrowseSheet}));
    for (int i = 0; i < 10; ++i) {
      pageDown.Add(driver.Time(list(EventKind::PageDown)));
      lineDown.Add(driver.Time(list(EventKind::ScrollDown)));
    }
    for (int i = 0; i < 10; ++i) {
      pageUp.Add(driver.Time(list(EventKind::PageUp)));
      lineUp.Add(driver.Time(list(EventKind::ScrollUp)));
    }
    for (const char16_t ch : {u'a', u'm', u'z', u'5', u'f', u'w'}) {
      Event key = list(EventKind::AlertKey);
      key.key = ch;
      key.ch = ch;
      locate.Add(driver.Time(key));
    }
    bottom.Add(driver.Time(list(EventKind::ScrollBottom)));
    top.Add(driver.Time(list(EventKind::ScrollTop)));
    for (int position : {20, 50, 80}) {
      Event thumb = list(EventKind::ScrollDrag);
      thumb.thumb = position;
      drag.Add(driver.Time(thumb));
    }
  }
  driver.Close();
  Figure reopen;
  for (int i = 0; i < 3; ++i) {
    reopen.Add(driver.Open());
    driver.Close();
  }
  Print("open, first run (layout measured)", open);
  Print("open again (layout restored)", reopen);
  Print("tab change", tab);
  Print("PageDown", pageDown);
  Print("PageUp", pageUp);
  Print("ScrollDown (line)", lineDown);
  Print("ScrollUp (line)", lineUp);
  Print("letter locate", locate);
  Print("ScrollBottom", bottom);
  Print("ScrollTop", top);
  Print("thumb drag", drag);
  QDir::setCurrent(QDir::tempPath());
  return 0;
}
