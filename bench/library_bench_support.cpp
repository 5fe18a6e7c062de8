#include "bench/library_bench_support.h"

#include "library/runtime/data/error_state.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace vx::bench {

namespace {

const char *const kWords[] = {"daily", "news",   "journal", "archive", "photo", "music",   "review",  "guide",
                              "forum", "market", "travel",  "science", "sport", "weather", "recipes", "code"};

} // namespace

QString Words(QRandomGenerator &random, int count) {
  QStringList words;
  for (int i = 0; i < count; ++i)
    words << QString::fromLatin1(kWords[random.bounded(int(std::size(kWords)))]);
  return words.join(QLatin1Char(' '));
}

QByteArray LoadAverage() {
  QFile file(QStringLiteral("/proc/loadavg"));
  if (!file.open(QIODevice::ReadOnly))
    return "unknown";
  return file.read(64).split(' ').value(0);
}

void Row(const char *figure, double value, const char *unit, const char *target) {
  std::printf("%-50s %10.3f %-6s %s\n", figure, value, unit, target);
}

void Check(const char *what) {
  if (ERRORCODE() != 0) {
    std::fprintf(stderr, "%s failed: %s (%d) %s\n", what, qPrintable(ERROR()), ERRORCODE(),
                 qPrintable(FILEERROR()));
    std::exit(1);
  }
}

} // namespace vx::bench
