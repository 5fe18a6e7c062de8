// Times the Cache Explorer over a large cache: opening it, sorting by each column, a title
// search, scrolling the grid, and the HTML body search with its progress and its cancel.
// Each figure stands beside a reference run on the same machine: a grid of stored strings
// (QStandardItemModel) for opening, sorting and scrolling, a plain loop over the titles for the
// title search, and whole-file reads for the body search.
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/search/cache_search.h"
#include "proxy/engine/search/go_on_flag.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/cache_explorer/grid_sel_form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

using namespace ql;

double Ms(const QElapsedTimer &timer) {
  return timer.nsecsElapsed() / 1e6;
}

QByteArray UrlOf(int i) {
  return "http://host" + QByteArray::number(i % 997) + ".example:80/section/" + QByteArray::number(i) +
         "/page.html";
}

QByteArray TitleOf(int i) {
  return "Page number " + QByteArray::number(i) + " of the archive";
}

// One line of figures; a negative reference prints as "-" (no reference for that figure).
void Row(const char *what, double ms, double referenceMs, const char *note = "") {
  if (referenceMs < 0)
    std::printf("%-36s %10.1f %12s   %s\n", what, ms, "-", note);
  else
    std::printf("%-36s %10.1f %12.1f   %s\n", what, ms, referenceMs, note);
  std::fflush(stdout);
}

// Scrolls a grid through its whole length in 200 steps, painting each; the longest step.
double WorstScrollStep(QTableView &grid, double *meanMs) {
  QScrollBar *bar = grid.verticalScrollBar();
  double worst = 0;
  double total = 0;
  constexpr int kSteps = 200;
  for (int step = 0; step <= kSteps; ++step) {
    QElapsedTimer timer;
    timer.start();
    bar->setValue(bar->maximum() * step / kSteps);
    grid.viewport()->grab();
    const double ms = Ms(timer);
    worst = std::max(worst, ms);
    total += ms;
  }
  *meanMs = total / (kSteps + 1);
  return worst;
}

// Records how the body search lets messages run, and cancels it after a while when asked.
class BenchWindow : public TSearchWindow {
public:
  explicit BenchWindow(double cancelAfterMs) : cancelAfterMs_(cancelAfterMs) {
    clock_.start();
    since_.start();
  }
  void ProcessMessages() override {
    longestGapMs = std::max(longestGapMs, Ms(since_));
    since_.restart();
    if (cancelAfterMs_ > 0 && GoOnFlag && Ms(clock_) >= cancelAfterMs_) {
      GoOnFlag = false;
      cancelled_.start();
    }
  }
  void ShowHtmlProgress() override {}
  void SetHtmlProgress(int percent) override { lastPercent = percent; }
  void HideHtmlProgress() override {}
  double SinceCancelMs() const { return cancelled_.isValid() ? Ms(cancelled_) : 0; }

  double longestGapMs = 0;
  int lastPercent = 0;

private:
  double cancelAfterMs_;
  QElapsedTimer clock_;
  QElapsedTimer since_;
  QElapsedTimer cancelled_;
};

void Run(int count, int bodyBytes) {
  QTemporaryDir dir;
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  DataDirectory = dir.filePath("data") + "/";
  EngineSettings.MaxCacheSize = 2000000000;
  TProxyCache cache(settings);
  cache.LoadCacheIndex();

  std::printf("%d entries, HTML bodies of %d bytes (%.2f GB)\n", count, bodyBytes,
              double(count) * bodyBytes / 1e9);
  std::mt19937 random(7);
  QByteArray body(bodyBytes, ' ');
  for (int i = 0; i < count; ++i) {
    TCacheItem item;
    item.ID = i + 1;
    item.URL = UrlOf((i * 7919) % count);
    item.Title = TitleOf(i);
    item.MimeIndex = 1;
    item.Retrieved = 45000 + random() % 1000;
    item.LastAccessed = item.Retrieved;
    item.Hits = static_cast<int32_t>(random() % 50);
    item.Length = bodyBytes;
    item.Status = 200;
    cache.Index().Put(std::move(item));
    if (bodyBytes > 0) {
      for (char &c : body)
        c = static_cast<char>('a' + random() % 26);
      if (i % 1000 == 999)
        body.replace(bodyBytes / 2, 6, "NEEDLE");
      QFile file(cache.Store().BodyPath(i + 1));
      if (!file.open(QIODevice::WriteOnly) || file.write(body) != bodyBytes) {
        std::fprintf(stderr, "cannot write the bodies\n");
        std::exit(1);
      }
    }
  }
  std::printf("%-36s %10s %12s\n", "", "ms", "reference ms");

  QElapsedTimer timer;
  timer.start();
  TGridSelForm gridSel(settings);
  TCacheForm form(settings, cache, gridSel);
  form.show();
  form.Grid()->viewport()->grab();
  const double openMs = Ms(timer);

  timer.restart();
  QStandardItemModel stored(count, 2);
  cache.Index().ForEach([&, row = 0](const TCacheItem &item) mutable {
    stored.setItem(row, 0, new QStandardItem(QString::fromUtf8(item.URL)));
    stored.setItem(row, 1, new QStandardItem(QString::fromUtf8(item.Title)));
    ++row;
  });
  QTableView reference;
  reference.setModel(&stored);
  reference.verticalHeader()->hide();
  reference.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  reference.verticalHeader()->setDefaultSectionSize(18);
  reference.resize(form.Grid()->size());
  reference.show();
  reference.viewport()->grab();
  const double storedOpenMs = Ms(timer);
  Row("open the Explorer", openMs, storedOpenMs, "(reference: a grid of stored strings)");

  static const char *const kKeys[] = {"URL", "Title", "Retrieval Date", "Content Length", "Cache Hits"};
  for (int key = 1; key <= 5; ++key) {
    timer.restart();
    form.SortView(key, 0);
    form.ShowItems();
    form.Grid()->viewport()->grab();
    const double ms = Ms(timer);
    double referenceMs = -1;
    if (key <= 2) {
      timer.restart();
      stored.sort(key - 1);
      reference.viewport()->grab();
      referenceMs = Ms(timer);
    }
    Row((std::string("sort by ") + kKeys[key - 1]).c_str(), ms, referenceMs);
  }

  double mean = 0;
  double storedMean = 0;
  const double worst = WorstScrollStep(*form.Grid(), &mean);
  const double storedWorst = WorstScrollStep(reference, &storedMean);
  Row("scroll: longest step of 200", worst, storedWorst);
  Row("scroll: mean step", mean, storedMean);

  TSearch title;
  title.TitleText = "number 4242 of";
  timer.restart();
  form.RunSearch(title, nullptr);
  const double searchMs = Ms(timer);
  timer.restart();
  std::size_t matches = 0;
  const QByteArray needle = QByteArray("number 4242 of").toUpper();
  cache.Index().ForEach(
      [&](const TCacheItem &item) { matches += item.Title.toUpper().contains(needle) ? 1 : 0; });
  Row("title search", searchMs, Ms(timer),
      qPrintable(
          QStringLiteral("(%1 found; the reference loop found %2)").arg(form.View().Count()).arg(matches)));

  if (bodyBytes <= 0)
    return;
  TSearch html;
  html.HtmlText = "needle";
  BenchWindow watch(0);
  timer.restart();
  SearchCache(cache.Store(), cache.Mimes(), &watch, html, form.View());
  const double htmlMs = Ms(timer);
  timer.restart();
  std::size_t found = 0;
  for (int id = 1; id <= count; ++id) {
    QFile file(cache.Store().BodyPath(id));
    if (file.open(QIODevice::ReadOnly))
      found += file.readAll().toUpper().contains("NEEDLE") ? 1 : 0;
  }
  const double readMs = Ms(timer);
  Row("HTML body search", htmlMs, readMs,
      qPrintable(QStringLiteral("(%1 found, %2 MB/s; the reference reads whole files, found %3)")
                     .arg(form.View().Count())
                     .arg(double(count) * bodyBytes / 1e6 / (htmlMs / 1000), 0, 'f', 0)
                     .arg(found)));
  Row("  longest time without messages", watch.longestGapMs, -1);

  BenchWindow cancelling(500);
  SearchCache(cache.Store(), cache.Mimes(), &cancelling, html, form.View());
  Row("  cancel after 500 ms: return after", cancelling.SinceCancelMs(), -1,
      qPrintable(QStringLiteral("(%1% done when cancelled)").arg(cancelling.lastPercent)));
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int bodyBytes = argc > 2 ? std::atoi(argv[2]) : 10000;
  Run(count, bodyBytes);
  return 0;
}
