// Prints the timings of the export in each format; see bench/library-export.

#include "bench/library_bench_support.h"
#include "bench/library_no_window.h"
#include "library/core/dictionary.h"
#include "library/exchange/export/export_process.h"
#include "library/exchange/progress_runner.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/scheduler.h"

#include <QApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace vx;
using vx::bench::Check;
using vx::bench::LoadAverage;
using vx::bench::NoWindow;
using vx::bench::Row;
using vx::bench::RunBuku;
using vx::bench::Words;

namespace {

constexpr int kCategories = 200;

void AddSnippet(const QString &category, const char *type, const QString &html) {
  CLEAR(CatHTML());
  HTM().Category = category;
  HTM().TypeOfHTML = QLatin1String(type);
  HTM().HTMLtoAdd = html;
  ADD(CatHTML());
  Check("ADD snippet");
}

// The library: `count` sites in 200 categories, each category with a snippet of every type,
// a Site Info on every fourth site. Also writes the same sites as a Markdown list that the
// comparison imports.
void FillLibrary(int count, QRandomGenerator &random) {
  QFile markdown(QStringLiteral("same-sites.md"));
  if (!markdown.open(QIODevice::WriteOnly))
    std::exit(1);
  LOGOUT(2, {&VORNIX(), &CatHTML()});
  Check("LOGOUT");
  const char *const types[] = {"Replace Title", "Before Category", "Before Category Title",
                               "After Category Title", "After Category"};
  for (int c = 0; c < kCategories; ++c)
    for (const char *type : types)
      AddSnippet(QStringLiteral("Category %1").arg(c, 3, 10, QLatin1Char('0')), type,
                 QStringLiteral("<p>%1 of category %2</p>").arg(QLatin1String(type)).arg(c));
  AddSnippet(QStringLiteral("_Before All"), "Replace Title", QStringLiteral("Benchmark Sites"));
  AddSnippet(QStringLiteral("_Before All"), "Before Category", QStringLiteral("<p>Welcome</p>"));
  AddSnippet(QStringLiteral("_After All"), "After Category", QStringLiteral("<p>Goodbye</p>"));
  for (int i = 0; i < count; ++i) {
    CLEAR(VORNIX());
    URL().Location = QStringLiteral("http://host%1.example/%2/page%3.html?a=1&b=2")
                         .arg(random.bounded(5000))
                         .arg(Words(random, 1))
                         .arg(i);
    URL().Description = Words(random, 3);
    URL().Category = QStringLiteral("Category %1").arg(random.bounded(kCategories), 3, 10, QLatin1Char('0'));
    URL().Rating = random.bounded(11);
    URL().Keyword = QStringLiteral("http");
    URL().SiteInfo = i % 4 ? QString() : Words(random, 12);
    ADD(VORNIX());
    Check("ADD site");
    markdown.write(QStringLiteral("[%1](%2) <!-- TAGS: %3 -->\n")
                       .arg(URL().Description.clipped(), URL().Location.clipped(), URL().Category.clipped())
                       .toUtf8());
  }
  COMMIT();
  Check("COMMIT");
}

// Runs the export as the Export window does, in the progress window on a run-time thread;
// the seconds it took, or -1 when it failed.
double ExportInWindow(const ExportSettings &settings) {
  QElapsedTimer timer;
  timer.start();
  int response = 0;
  const int thread = START([&] {
    response = RunInProgressWindow(
        [&](BatchProgress &progress) { return std::make_unique<ExportProcess>(settings, progress); });
  });
  scheduler::RunUntil([thread] { return !scheduler::IsAlive(thread); });
  return response == 1 ? timer.nsecsElapsed() / 1e9 : -1;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (count <= 0) {
    std::fprintf(stderr, "usage: library_export_bench [sites]\n");
    return 2;
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QRandomGenerator random(20261209);
  TakeFile(VORNIX());
  TakeFile(CatHTML());

  const QByteArray target = QByteArray("< ") + QByteArray::number(count / 50000.0, 'g', 3) + " s";
  std::printf("%d sites in %d categories; machine load %s\n%-50s %10s %-6s %s\n", count, kCategories,
              LoadAverage().constData(), "figure", "value", "unit", "target");
  QElapsedTimer timer;
  timer.start();
  FillLibrary(count, random);
  Row("filling the library (not a target)", timer.nsecsElapsed() / 1e9, "s", "");

  const struct {
    const char *type, *name;
  } formats[] = {{"HTML - Simple", "simple.htm"},
                 {"HTML - Table", "table.htm"},
                 {"HTML - Frame", "frame.htm"},
                 {"ASCII", "ascii.txt"},
                 {"Comma-Delimited", "comma.csv"}};
  NoWindow window;
  for (const auto &format : formats) {
    ExportSettings settings;
    settings.Name = QLatin1String(format.name);
    settings.Type = QLatin1String(format.type);
    settings.Categories = QStringLiteral("All");
    settings.SiteInfo = 1;
    settings.Ratings = 1;
    settings.Order = QStringLiteral("Location");
    timer.restart();
    ExportProcess process(settings, window);
    if (RunToEnd(process) != 1) {
      std::fprintf(stderr, "the %s export failed\n", format.type);
      return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QByteArray figure = QByteArray("export ") + format.type + " (" +
                              QByteArray::number(QFileInfo(QLatin1String(format.name)).size() / 1e6, 'f', 1) +
                              " MB)";
    Row(figure.constData(), seconds, "s", target.constData());
    if (QByteArray(format.type) == "HTML - Table") {
      const double windowed = ExportInWindow(settings);
      if (windowed < 0) {
        std::fprintf(stderr, "the export in the progress window failed\n");
        return 1;
      }
      Row("  the same in the progress window, tick by tick", windowed, "s", target.constData());
    }
  }

  const QString buku = QStandardPaths::findExecutable(QStringLiteral("buku"));
  if (buku.isEmpty()) {
    std::printf("buku is not installed: no comparison\n");
  } else {
    const QString data = dir.filePath(QStringLiteral("buku-data"));
    QDir().mkpath(data);
    if (RunBuku(buku, data, {QStringLiteral("--import"), dir.filePath(QStringLiteral("same-sites.md"))}) <
        0) {
      std::fprintf(stderr, "buku could not import the sites\n");
      return 1;
    }
    const double seconds =
        RunBuku(buku, data, {QStringLiteral("--export"), dir.filePath(QStringLiteral("buku.html"))});
    Row("  reference: buku --export of the same sites", seconds, "s", "");
  }
  ReleaseFile(CatHTML());
  ReleaseFile(VORNIX());
  QDir::setCurrent(QDir::tempPath());
  return 0;
}
