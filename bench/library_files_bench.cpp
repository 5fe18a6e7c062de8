// Prints the timings of the library's site file; see bench/library-files.

#include "bench/library_bench_support.h"
#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_view.h"
#include "library/runtime/data/sort_key.h"
#include "library/runtime/data/transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <vector>

using namespace vx;
using vx::bench::Check;
using vx::bench::LoadAverage;
using vx::bench::Row;
using vx::bench::Words;

namespace {

// The same rows, keys precomputed, inserted by bare SQLite into a file of the same layout
// inside one transaction: the floor under the driver's ADD on this machine, at this load.
double ReferenceInsert() {
  MergeSource().setName(QStringLiteral("REFERENCE.KYF"));
  CREATE(MergeSource());
  Check("CREATE");
  struct Prepared {
    QByteArray fields[5];
    int rating;
    QByteArray keys[6];
  };
  std::vector<Prepared> rows;
  const FileDecl &decl = VORNIX().decl();
  SET(VORNIX());
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX())) {
    Prepared p;
    p.fields[0] = URL().Location.clipped().toUtf8();
    p.fields[1] = URL().Description.clipped().toUtf8();
    p.fields[2] = URL().Category.clipped().toUtf8();
    p.fields[3] = URL().Keyword.clipped().toUtf8();
    p.rating = URL().Rating;
    for (int k = 0; k < 6; ++k)
      p.keys[k] = SortKey(decl, decl.keys[size_t(k)], &URL());
    rows.push_back(p);
  }
  sqlite3 *db = nullptr;
  sqlite3_open("REFERENCE.KYF", &db);
  sqlite3_exec(db, "PRAGMA cache_size = -131072", nullptr, nullptr, nullptr);
  sqlite3_stmt *st = nullptr;
  sqlite3_prepare_v2(
      db,
      "INSERT INTO records(Location, Description, Category, Keyword, Rating, SiteInfo, k_K_Location, "
      "k_K_Description, k_K_Category, k_K_CategoryLocation, k_K_Rating, k_K_Keyword) "
      "VALUES (?, ?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?)",
      -1, &st, nullptr);
  QElapsedTimer timer;
  timer.start();
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (const Prepared &p : rows) {
    for (int f = 0; f < 4; ++f)
      sqlite3_bind_text(st, f + 1, p.fields[f].constData(), int(p.fields[f].size()), SQLITE_STATIC);
    sqlite3_bind_int(st, 5, p.rating);
    for (int k = 0; k < 6; ++k)
      sqlite3_bind_blob(st, k + 6, p.keys[k].constData(), int(p.keys[k].size()), SQLITE_STATIC);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  const double seconds = timer.nsecsElapsed() / 1e9;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return seconds;
}

// One bare SQLite statement reading every row in K_Location order.
double ReferenceScan() {
  sqlite3 *db = nullptr;
  sqlite3_open("REFERENCE.KYF", &db);
  sqlite3_stmt *st = nullptr;
  sqlite3_prepare_v2(
      db,
      "SELECT id, chg, Location, Description, Category, Rating, Keyword, SiteInfo, k_K_Location "
      "FROM records WHERE k_K_Location IS NOT NULL ORDER BY k_K_Location, id",
      -1, &st, nullptr);
  QElapsedTimer timer;
  timer.start();
  qint64 bytes = 0;
  while (sqlite3_step(st) == SQLITE_ROW)
    bytes += sqlite3_column_bytes(st, 2) + sqlite3_column_bytes(st, 3);
  const double seconds = timer.nsecsElapsed() / 1e9;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return bytes > 0 ? seconds : 0;
}

} // namespace

int main(int argc, char **argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (count <= 0) {
    std::fprintf(stderr, "usage: library_files_bench [sites]\n");
    return 2;
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  QRandomGenerator random(20261208);

  TakeFile(VORNIX());
  std::vector<QString> locations;
  locations.reserve(size_t(count));
  for (int i = 0; i < count; ++i)
    locations.push_back(QStringLiteral("http://host%1.example/%2/page%3.html")
                            .arg(random.bounded(5000))
                            .arg(Words(random, 1))
                            .arg(i));

  std::printf("%d sites; machine load %s\n%-50s %10s %-6s %s\n", count, LoadAverage().constData(), "figure",
              "value", "unit", "target");
  QElapsedTimer timer;
  timer.start();
  LOGOUT(2, {&VORNIX()});
  Check("LOGOUT");
  for (int i = 0; i < count; ++i) {
    CLEAR(VORNIX());
    URL().Location = locations[size_t(i)];
    URL().Description = Words(random, 3);
    URL().Category = QStringLiteral("Category %1").arg(random.bounded(50));
    URL().Rating = random.bounded(11);
    URL().Keyword = i % 7 ? "http" : "ftp";
    ADD(VORNIX());
    Check("ADD");
  }
  COMMIT();
  Check("COMMIT");
  const double addSeconds = timer.nsecsElapsed() / 1e9;
  Row("ADD, all in one transaction", addSeconds, "s", "< 2 s for 100,000");
  Row("ADD throughput", count / addSeconds, "rec/s", "");
  Row("file size", QFileInfo(QStringLiteral("URL_L.KYF")).size() / 1e6, "MB", "");

  const double referenceAdd = ReferenceInsert();
  Row("  reference: bare SQLite INSERT of the same rows", referenceAdd, "s", "");

  const char *keyNames[] = {"K_Location",         "K_Description", "K_Category",
                            "K_CategoryLocation", "K_Rating",      "K_Keyword"};
  for (int k = 0; k < VORNIX().keyCount(); ++k) {
    timer.restart();
    qint64 read = 0;
    SET(VORNIX().key(k));
    for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX()))
      ++read;
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QByteArray figure =
        QByteArray("NEXT pass in ") + keyNames[k] + " (" + QByteArray::number(read) + " rec)";
    Row(figure.constData(), seconds, "s", "< 1 s");
  }
  Row("  reference: bare SQLite scan of K_Location", ReferenceScan(), "s", "");

  const int gets = 10000;
  timer.restart();
  for (int i = 0; i < gets; ++i) {
    CLEAR(VORNIX());
    URL().Location = locations[size_t(random.bounded(count))].toUpper();
    GET(VORNIX().K_Location);
    Check("GET");
  }
  Row("GET by K_Location", timer.nsecsElapsed() / 1e3 / gets, "us", "");

  const int pages = 1000;
  timer.restart();
  for (int i = 0; i < pages; ++i) {
    CLEAR(VORNIX());
    URL().Location = locations[size_t(random.bounded(count))];
    SET(VORNIX().K_Location, VORNIX().K_Location);
    for (int row = 0; row < 20 && ERRORCODE() == 0; ++row)
      NEXT(VORNIX());
  }
  Row("page of 20 at a random key (K_Location)", timer.nsecsElapsed() / 1e6 / pages, "ms", "< 5 ms");

  QString category;
  View view(VORNIX());
  view.setOrder(VORNIX().K_Category);
  view.setEquality(VORNIX().decl().fieldIndex(QStringLiteral("Category")), [&] { return category; });
  OPEN(view);
  timer.restart();
  for (int i = 0; i < pages; ++i) {
    category = QStringLiteral("category %1").arg(random.bounded(50));
    CLEAR(VORNIX());
    URL().Category = category;
    URL().Description = Words(random, 1);
    SET(view, VORNIX().K_Category);
    for (int row = 0; row < 20; ++row) {
      NEXT(view);
      if (ERRORCODE() != 0)
        break;
    }
  }
  Row("page of 20 in a category view (K_Category)", timer.nsecsElapsed() / 1e6 / pages, "ms", "< 5 ms");
  CLOSE(view);
  ReleaseFile(VORNIX());
  QDir::setCurrent(QDir::tempPath());
  return 0;
}
