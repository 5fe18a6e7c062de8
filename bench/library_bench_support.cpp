#include "bench/library_bench_support.h"

#include "library/runtime/data/error_state.h"

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

void Check(const char *what) {
  if (ERRORCODE() != 0) {
    std::fprintf(stderr, "%s failed: %s (%d) %s\n", what, qPrintable(ERROR()), ERRORCODE(),
                 qPrintable(FILEERROR()));
    std::exit(1);
  }
}

} // namespace vx::bench
