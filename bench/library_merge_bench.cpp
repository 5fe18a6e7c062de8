// Prints the timings of the merge and of the conversion of earlier-format files; see
// bench/library-merge.

#include "bench/library_bench_support.h"
#include "bench/library_no_window.h"
#include "library/core/dictionary.h"
#include "library/exchange/convert/upgrade_process.h"
#include "library/exchange/merge/merge_process.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace vx;
using vx::bench::Check;
using vx::bench::LoadAverage;
using vx::bench::NoWindow;
using vx::bench::Row;
using vx::bench::Words;

namespace {

QString Location(int i, QRandomGenerator &random) {
  return QStringLiteral("http://site%1.example/%2").arg(i).arg(random.bounded(100000));
}

// Another library's site file and an old site file, each with `count` sites.
void FillInputs(int count, QRandomGenerator &random) {
  SiteFile &other = MergeSource();
  other.setName(QStringLiteral("other/URL_L.KYF"));
  for (DataFile *file : {static_cast<DataFile *>(&other), static_cast<DataFile *>(&OldSites())}) {
    CREATE(*file);
    OPEN(*file);
    Check("OPEN input");
  }
  LOGOUT(2, {&other, &OldSites()});
  Check("LOGOUT");
  for (int i = 0; i < count; ++i) {
    CLEAR(other);
    ILOC().Location = Location(i, random);
    ILOC().Description = Words(random, 4);
    ILOC().Category = Words(random, 1);
    ILOC().Keyword = QStringLiteral("http");
    ILOC().SiteInfo = i % 4 == 0 ? Words(random, 20) : QString();
    ADD(other);
    Check("ADD merge source");
    CLEAR(OldSites());
    OL().Location = ILOC().Location.text();
    OL().Description = ILOC().Description.text();
    OL().Category = ILOC().Category.text();
    OL().Keyword = ILOC().Keyword.text();
    OL().SiteInfo = ILOC().SiteInfo.text();
    ADD(OldSites());
    Check("ADD old site");
  }
  COMMIT();
  Check("COMMIT");
  CLOSE(other);
  CLOSE(OldSites());
}

// Runs the process to its end as its window would, one Step a tick; prints its figures.
void Time(const char *name, BatchProcess &process, int count) {
  QElapsedTimer total, step;
  total.start();
  qint64 longest = 0;
  int steps = 0;
  for (bool more = true; more; ++steps) {
    step.start();
    more = process.Step();
    longest = std::max(longest, step.nsecsElapsed());
  }
  if (process.Finish() != 1) {
    std::fprintf(stderr, "%s did not complete\n", name);
    std::exit(1);
  }
  const double seconds = total.nsecsElapsed() / 1e9;
  std::printf("%s: %d sites in %d Steps\n", name, count, steps);
  Row("  total", seconds, "s", "");
  Row("  sites a second", count / seconds, "1/s", "");
  Row("  longest Step (one tick of the window)", longest / 1e6, "ms", "target < 50 ms");
}

// The same copy done by sqlite3 in one statement, for comparison.
void Reference(int count) {
  const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
  if (sqlite.isEmpty()) {
    std::printf("reference: sqlite3 not installed\n");
    return;
  }
  QElapsedTimer timer;
  timer.start();
  QProcess process;
  process.start(
      sqlite,
      {QStringLiteral("reference.db"),
       QStringLiteral("ATTACH 'other/URL_L.KYF' AS o; CREATE TABLE copy AS SELECT * FROM o.records;")});
  process.waitForFinished(-1);
  std::printf("reference: sqlite3 copying the same %d rows in one statement\n", count);
  Row("  total", timer.nsecsElapsed() / 1e9, "s", "");
}

} // namespace

int main(int argc, char **argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QDir().mkdir(QStringLiteral("other"));
  QRandomGenerator random(22);
  std::printf("load average %s\n", LoadAverage().constData());
  FillInputs(count, random);
  NoWindow window;
  {
    TakeFile(VORNIX());
    MergeProcess merge(QStringLiteral("other/URL_L.KYF"), window);
    Time("merge", merge, count);
    ReleaseFile(VORNIX());
  }
  QFile::remove(QStringLiteral("URL_L.KYF"));
  {
    UpgradeProcess upgrade(UpgradeProcess::Kind::Sites, window);
    Time("conversion of the old site file", upgrade, count);
  }
  Reference(count);
  return 0;
}
