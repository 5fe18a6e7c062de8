// Times the import of a browser's bookmark file into a fresh library; see bench/library-import.

#include "bench/library_bench_support.h"
#include "bench/library_no_window.h"
#include "library/core/dictionary.h"
#include "library/exchange/import/import_process.h"

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
#include <cstring>

using namespace vx;
using vx::bench::LoadAverage;
using vx::bench::NoWindow;
using vx::bench::Row;
using vx::bench::RunBuku;
using vx::bench::Words;

namespace {

constexpr int kFolders = 100;

// A bookmark file as a browser exports it: `count` bookmarks in 100 folders, every eighth
// with a description line.
bool WriteBookmarkFile(const QString &name, int count, QRandomGenerator &random) {
  QFile file(name);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  QByteArray text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                    "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
  for (int folder = 0; folder < kFolders; ++folder) {
    text += "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">Folder " +
            QByteArray::number(folder) + " " + Words(random, 1).toUtf8() + "</H3>\n    <DL><p>\n";
    const int first = count * folder / kFolders, last = count * (folder + 1) / kFolders;
    for (int i = first; i < last; ++i) {
      text += "        <DT><A HREF=\"https://host" + QByteArray::number(random.bounded(5000)) + ".example/" +
              Words(random, 1).toUtf8() + "/page" + QByteArray::number(i) +
              ".html\" ADD_DATE=\"1700000000\">" + Words(random, 3).toUtf8() + " &amp; more</A>\n";
      if (i % 8 == 0)
        text += "        <DD>" + Words(random, 6).toUtf8() + "\n";
    }
    text += "    </DL><p>\n";
    if (text.size() > (1 << 20)) {
      file.write(text);
      text.clear();
    }
  }
  text += "</DL><p>\n";
  return file.write(text) == text.size() && file.flush();
}

int Usage() {
  std::fprintf(stderr, "usage: library_import_bench [FILE | --bookmarks N]\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  int count = 10000;
  QString input;
  if (argc == 3 && std::strcmp(argv[1], "--bookmarks") == 0) {
    count = std::atoi(argv[2]);
    if (count <= 0)
      return Usage();
  } else if (argc == 2 && argv[1][0] != '-') {
    input = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  } else if (argc != 1) {
    return Usage();
  }
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  if (input.isEmpty()) {
    input = dir.filePath(QStringLiteral("bookmarks.html"));
    QRandomGenerator random(20261209);
    if (!WriteBookmarkFile(input, count, random)) {
      std::fprintf(stderr, "the bookmark file could not be written\n");
      return 1;
    }
    std::printf("a bookmark file of %d bookmarks in %d folders (%.1f MB); machine load %s\n", count, kFolders,
                QFileInfo(input).size() / 1e6, LoadAverage().constData());
  } else {
    std::printf("%s (%.1f MB); machine load %s\n", qPrintable(input), QFileInfo(input).size() / 1e6,
                LoadAverage().constData());
  }

  TakeFile(Categories());
  TakeFile(VORNIX());
  ImportSettings settings;
  settings.Name = input;
  settings.Type = QStringLiteral("HTML Document");
  settings.Categories = QStringLiteral("Make Best Guess");
  NoWindow window;
  QElapsedTimer timer;
  timer.start();
  ImportProcess process(settings, window);
  int steps = 0;
  while (process.Step())
    ++steps;
  const int response = process.Finish();
  const double seconds = timer.nsecsElapsed() / 1e9;
  if (response != 1) {
    std::fprintf(stderr, "the import failed\n");
    return 1;
  }
  const QByteArray target =
      QByteArray("< ") + QByteArray::number(process.sitesAdded() / 20000.0, 'g', 3) + " s";
  std::printf("%-50s %10s %-6s %s\n", "figure", "value", "unit", "target");
  Row("import with \"Make Best Guess\"", seconds, "s", target.constData());
  Row("  sites added", process.sitesAdded(), "", "");
  Row("  categories added", process.categoriesAdded(), "", "");
  Row("  duplicates skipped", process.duplicatesSkipped(), "", "");
  Row("  batches (time slices)", steps, "", "");

  const QString buku = QStandardPaths::findExecutable(QStringLiteral("buku"));
  if (buku.isEmpty()) {
    std::printf("buku is not installed: no comparison\n");
  } else {
    const QString data = dir.filePath(QStringLiteral("buku-data"));
    QDir().mkpath(data);
    const double bukuSeconds = RunBuku(buku, data, {QStringLiteral("--import"), input});
    if (bukuSeconds < 0) {
      std::fprintf(stderr, "buku could not import the file\n");
      return 1;
    }
    Row("  reference: buku --import of the same file", bukuSeconds, "s", "");
    Row("  buku's time / ours", bukuSeconds / seconds, "x", ">= 5");
  }
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());
  QDir::setCurrent(QDir::tempPath());
  return 0;
}
