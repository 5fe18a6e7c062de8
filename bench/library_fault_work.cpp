// The library's work that scripts/kill-vornix interrupts, run in the working directory (the
// data folder) through the same processes as the program's windows:
//   setup SITES             a fresh library of SITES sample sites
//   bookmarks SEED N FILE   writes a bookmark file of N new bookmarks in 50 folders
//   source SEED N           writes another library's site file, other/URL_L.KYF, of N new
//                           sites under this library's categories
//   import FILE             imports FILE with "Make Best Guess"
//   merge                   merges other/URL_L.KYF
//   export TYPE FILE        exports every site in TYPE ("HTML - Table", "HTML - Frame", ...)
//   rename                  renames the categories one after another, with their sites and
//                           snippets, until it is killed
//   check                   prints the sites, the categories and the orphaned sites (a site
//                           whose category is missing)
// Work that fails ends with status 1 and the error on stderr.
#include "bench/library_bench_support.h"
#include "bench/library_no_window.h"
#include "library/core/dictionary.h"
#include "library/core/referential_integrity.h"
#include "library/exchange/export/export_process.h"
#include "library/exchange/import/import_process.h"
#include "library/exchange/merge/merge_process.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/message_box.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace vx;
using vx::bench::Check;
using vx::bench::NoWindow;
using vx::bench::Words;

namespace {

QString Location(quint32 seed, int i) {
  return QStringLiteral("https://round%1.example/page%2.html").arg(seed).arg(i);
}

int WriteBookmarks(quint32 seed, int count, const QString &name) {
  QRandomGenerator random(seed);
  QByteArray text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
  constexpr int kFolders = 50;
  for (int folder = 0; folder < kFolders; ++folder) {
    text += "<DT><H3>Folder " + QByteArray::number(folder) + "</H3>\n<DL><p>\n";
    for (int i = count * folder / kFolders; i < count * (folder + 1) / kFolders; ++i)
      text += "<DT><A HREF=\"" + Location(seed, i).toUtf8() + "\">" + Words(random, 3).toUtf8() + "</A>\n";
    text += "</DL><p>\n";
  }
  text += "</DL><p>\n";
  QFile file(name);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush() ? 0 : 1;
}

QStringList CategoryNames() {
  QStringList names;
  SET(Categories().K_Category);
  for (NEXT(Categories()); ERRORCODE() == 0; NEXT(Categories()))
    names << CAT().Category.text();
  return names;
}

int WriteSource(quint32 seed, int count) {
  TakeFile(Categories());
  const QStringList categories = CategoryNames();
  ReleaseFile(Categories());
  if (categories.isEmpty())
    return 1;
  QDir().mkpath(QStringLiteral("other"));
  SiteFile &other = MergeSource();
  other.setName(QStringLiteral("other/URL_L.KYF"));
  CREATE(other);
  OPEN(other);
  Check("OPEN other/URL_L.KYF");
  LOGOUT(2, {&other});
  QRandomGenerator random(seed);
  for (int i = 0; i < count; ++i) {
    CLEAR(other);
    ILOC().Location = Location(seed, i);
    ILOC().Description = Words(random, 3);
    ILOC().Category = categories[random.bounded(int(categories.size()))];
    ILOC().Keyword = QStringLiteral("https");
    ADD(other);
    Check("ADD other/URL_L.KYF");
  }
  COMMIT();
  Check("COMMIT");
  CLOSE(other);
  return 0;
}

int RunProcess(BatchProcess &&process) {
  return RunToEnd(process) == 1 ? 0 : 1;
}

int Import(const QString &name) {
  TakeFile(Categories());
  TakeFile(VORNIX());
  ImportSettings settings;
  settings.Name = QDir::current().absoluteFilePath(name);
  settings.Type = QStringLiteral("HTML Document");
  settings.Categories = QStringLiteral("Make Best Guess");
  NoWindow window;
  return RunProcess(ImportProcess(settings, window));
}

int Merge() {
  TakeFile(VORNIX());
  NoWindow window;
  return RunProcess(MergeProcess(QStringLiteral("other/URL_L.KYF"), window));
}

int Export(const QString &type, const QString &name) {
  TakeFile(VORNIX());
  TakeFile(CatHTML());
  ExportSettings settings;
  settings.Name = name;
  settings.Type = type;
  settings.Categories = QStringLiteral("All");
  settings.SiteInfo = 1;
  settings.Ratings = 1;
  settings.Order = QStringLiteral("Location");
  NoWindow window;
  return RunProcess(ExportProcess(settings, window));
}

// Renames each category in turn, as the Categories form does, between its name and the
// name with a trailing '+' (which stays in key order beside it).
int Rename() {
  TakeFile(Categories());
  for (;;) {
    for (const QString &name : CategoryNames()) {
      CLEAR(Categories());
      CAT().Category = name;
      GET(Categories().K_Category);
      Check("GET category");
      SaveCategoryKey();
      CAT().Category = name.endsWith(u'+') ? name.chopped(1) : name + u'+';
      if (UpdateCategoryRecord() != 0)
        return 1;
      std::printf("renamed %s\n", qPrintable(name));
      std::fflush(stdout);
    }
  }
}

int CheckLibrary() {
  TakeFile(Categories());
  TakeFile(VORNIX());
  qint64 sites = 0, orphans = 0;
  SET(VORNIX());
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX())) {
    ++sites;
    if (URL().Category.isBlank())
      continue;
    CLEAR(Categories());
    CAT().Category = URL().Category.text();
    GET(Categories().K_Category);
    if (ERRORCODE() == 35)
      ++orphans;
    else
      Check("GET category");
  }
  if (ERRORCODE() != 33)
    Check("NEXT site");
  std::printf("sites %lld categories %lld orphans %lld\n", sites, qint64(RECORDS(Categories())), orphans);
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: library_fault_work setup SITES | bookmarks SEED N FILE | source SEED N |\n"
                       "       import FILE | merge | export TYPE FILE | rename | check\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Every question gets its default answer; every message goes to stderr.
  SetMessageHandler([](const MessageRequest &request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.caption), qPrintable(request.text));
    return request.defaultButton ? request.defaultButton : int(BUTTON_OK);
  });
  const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
  const auto arg = [&](int i) { return QString::fromLocal8Bit(argv[i]); };
  if (command == "setup" && argc == 3) {
    vx::bench::FillLibrary(std::atoi(argv[2]));
    TakeFile(CatHTML());
    return 0;
  }
  if (command == "bookmarks" && argc == 5)
    return WriteBookmarks(quint32(std::atoi(argv[2])), std::atoi(argv[3]), arg(4));
  if (command == "source" && argc == 4)
    return WriteSource(quint32(std::atoi(argv[2])), std::atoi(argv[3]));
  if (command == "import" && argc == 3)
    return Import(arg(2));
  if (command == "merge" && argc == 2)
    return Merge();
  if (command == "export" && argc == 4)
    return Export(arg(2), arg(3));
  if (command == "rename" && argc == 2)
    return Rename();
  if (command == "check" && argc == 2)
    return CheckLibrary();
  return Usage();
}
