#include "bench/library_bench_support.h"

#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
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

void FillLibrary(int sites, quint32 seed) {
  static const char *const categories[][2] = {
      {"Arts", "Galleries, museums and the artists they show"},
      {"Computing", "Programming languages, tools and the people who write them"},
      {"Food", "Recipes, restaurants and markets"},
      {"Music", "Bands, labels, concerts and the shops that sell records"},
      {"News", "Daily papers, wire services and weekly reviews from around the world"},
      {"Reference", "Dictionaries, encyclopaedias, atlases and libraries"},
      {"Science", "Journals, observatories and laboratories"},
      {"Sport", "Clubs, leagues and results"},
      {"Travel", "Timetables, maps, guides and places to stay"},
      {"Weather", "Forecasts, radar pictures and climate records"},
      {"_Before All", ""},
      {"_After All", ""},
  };
  QRandomGenerator random(seed);
  TakeFile(Categories());
  TakeFile(VORNIX());
  LOGOUT(2, {&Categories(), &VORNIX()});
  Check("LOGOUT");
  for (const auto &category : categories) {
    CLEAR(Categories());
    CAT().Category = QString::fromLatin1(category[0]);
    CAT().Description = QString::fromLatin1(category[1]);
    ADD(Categories());
    Check("ADD category");
  }
  const int named = int(std::size(categories)) - 2; // sites go under the ordinary ones
  for (int i = 0; i < sites; ++i) {
    CLEAR(VORNIX());
    const QString word = Words(random, 1);
    URL().Location = QStringLiteral("%1://www.%2%3.example/%4/page%5.html")
                         .arg(i % 9 ? "http" : "ftp")
                         .arg(word)
                         .arg(random.bounded(500))
                         .arg(Words(random, 1 + random.bounded(i % 23 ? 2 : 12)).replace(' ', '/'))
                         .arg(i);
    URL().Description = Words(random, 2 + random.bounded(5));
    URL().Description = URL().Description.text().left(1).toUpper() + URL().Description.text().mid(1);
    URL().Category = QString::fromLatin1(categories[random.bounded(named)][0]);
    URL().Rating = random.bounded(11);
    URL().Keyword = i % 9 ? "http" : "ftp";
    ADD(VORNIX());
    Check("ADD site");
  }
  COMMIT();
  Check("COMMIT");
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());
}

void Check(const char *what) {
  if (ERRORCODE() != 0) {
    std::fprintf(stderr, "%s failed: %s (%d) %s\n", what, qPrintable(ERROR()), ERRORCODE(),
                 qPrintable(FILEERROR()));
    std::exit(1);
  }
}

double RunBuku(const QString &buku, const QString &data, const QStringList &arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
  process.setProcessEnvironment(environment);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  process.start(buku, QStringList{QStringLiteral("--nostdin"), QStringLiteral("--tacit")} + arguments);
  if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
    return -1;
  return timer.nsecsElapsed() / 1e9;
}

} // namespace vx::bench
