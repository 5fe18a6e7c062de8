// Times the bookmark tree over a tree of bookmarks in folders (10,000 in 500 by default): the
// save of auto.dat (written, synced and renamed), its load with every check, the opening of
// the Bookmarks window on it, the import of the same tree as a browser's bookmark file, and a
// walk of every node by item number after a change, as Autobrowse and the bookmark page do.
// Each figure stands beside a reference run on the same machine: the same bytes written with a
// sync and read back whole with QFile, a tree view over a QStandardItemModel of the same tree,
// and a plain scan of the HTML for its links.
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_format.h"
#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/bookmarks/auto_form.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace ql;

constexpr int kRuns = 5;

double Ms(const QElapsedTimer &timer) {
  return timer.nsecsElapsed() / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A row of figures; a negative reference stands for none.
void Row(const char *what, double ms, double referenceMs, const char *note = "") {
  if (referenceMs < 0)
    std::printf("%-40s %10.1f %12s   %s\n", what, ms, "-", note);
  else
    std::printf("%-40s %10.1f %12.1f   %s\n", what, ms, referenceMs, note);
  std::fflush(stdout);
}

QByteArray Title(int folder, int item) {
  return "Page " + QByteArray::number(item) + " of the section number " + QByteArray::number(folder);
}

QByteArray Url(int folder, int item) {
  return "http://host" + QByteArray::number(folder) + ".example/section/" + QByteArray::number(item) +
         "/index.html";
}

void Fill(TBookmarkOutline &tree, int folders, int perFolder) {
  tree.BeginBulk();
  for (int f = 0; f < folders; ++f) {
    auto folder = std::make_unique<TBMInfo>();
    folder->Folder = 1;
    folder->Title = "Folder " + QByteArray::number(f);
    TBookmarkNode *node = tree.Append(nullptr, std::move(folder));
    node->Expanded = f % 5 == 0;
    for (int i = 0; i < perFolder; ++i) {
      auto bookmark = std::make_unique<TBMInfo>();
      bookmark->Title = Title(f, i);
      bookmark->URL = Url(f, i);
      if (i % 4 == 0)
        bookmark->Comments = "A few words about this page, written when it was bookmarked.";
      bookmark->Scheduled = i % 3 == 0;
      tree.Append(node, std::move(bookmark));
    }
  }
  tree.EndBulk();
}

QByteArray BookmarkHtml(int folders, int perFolder) {
  QByteArray html =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
  for (int f = 0; f < folders; ++f) {
    html += "    <DT><H3 ADD_DATE=\"1718000000\">Folder " + QByteArray::number(f) + "</H3>\n    <DL><p>\n";
    for (int i = 0; i < perFolder; ++i)
      html += "        <DT><A HREF=\"" + Url(f, i) + "\" ADD_DATE=\"1718000000\">" + Title(f, i) + "</A>\n";
    html += "    </DL><p>\n";
  }
  return html + "</DL><p>\n";
}

// Shows a window and lets it lay out and paint.
void ShowAndPaint(QWidget &window) {
  window.show();
  for (int i = 0; i < 3; ++i)
    QApplication::processEvents();
  window.grab();
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int bookmarks = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int folders = argc > 2 ? std::atoi(argv[2]) : 500;
  const int perFolder = std::max(1, bookmarks / std::max(1, folders));
  QTemporaryDir dir;
  RecordingDialogSink dialogs;
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  DataDirectory = dir.filePath("data") + "/";
  TProxyCache cache(settings);
  cache.LoadCacheIndex();
  const QString data = cache.DataDir();

  std::printf("%d bookmarks in %d folders\n", folders * perFolder, folders);
  std::printf("%-40s %10s %12s\n", "", "ms", "reference ms");
  TBookmarkOutline tree;
  Fill(tree, folders, perFolder);

  // Save: the tree written to auto.tmp, synced and renamed over auto.dat; the median of five
  // saves, beside five plain writes of the same bytes with a sync.
  TBookmarkFile file(data);
  QElapsedTimer timer;
  std::vector<double> saves, plainWrites;
  for (int run = 0; run < kRuns; ++run) {
    timer.start();
    file.SaveExtOutlineNoDelay(tree);
    saves.push_back(Ms(timer));
  }
  timer.start();
  const QByteArray bytes = WriteBookmarkFile(tree);
  const double buildMs = Ms(timer);
  for (int run = 0; run < kRuns; ++run) {
    timer.start();
    QFile plain(data + "plain.dat");
    plain.open(QIODevice::WriteOnly);
    plain.write(bytes);
    plain.flush();
    ::fsync(plain.handle());
    plainWrites.push_back(Ms(timer));
  }
  Row("save auto.dat (write, sync, rename)", Median(saves), Median(plainWrites), "target < 100 ms");
  Row("  of which building the bytes", buildMs, -1);
  std::printf("%-40s %10.1f KB\n", "  file size", bytes.size() / 1024.0);

  // Load: read with every check into a new tree; the median of five loads (the first also
  // makes auto.bak), beside five plain reads of the file.
  std::vector<double> loads, plainReads;
  TBookmarkOutline loaded;
  bool ok = true;
  for (int run = 0; run < kRuns; ++run) {
    TBookmarkOutline again;
    TBookmarkFile reader(data);
    timer.start();
    TBookmarkOutline &into = run == 0 ? loaded : again;
    ok = reader.Load(into) && into.Count() == tree.Count() && ok;
    loads.push_back(Ms(timer));
    timer.start();
    QFile plain(data + "plain.dat");
    plain.open(QIODevice::ReadOnly);
    plain.readAll();
    plainReads.push_back(Ms(timer));
  }
  Row("load auto.dat", Median(loads), Median(plainReads),
      ok && loaded.Count() == tree.Count() ? "target < 100 ms" : "FAILED");

  // A walk of every node by item number after a change.
  timer.restart();
  loaded.Append(nullptr, std::make_unique<TBMInfo>());
  int64_t due = 0;
  for (int i = 1; i <= loaded.Count(); ++i)
    due += loaded.Item(i)->Info().Scheduled;
  Row("walk by item number after a change", Ms(timer), -1, due > 0 ? "" : "FAILED");

  // The Bookmarks window opening on the file (a fresh load).
  timer.restart();
  TAutoFormSetup setup;
  setup.settings = &settings;
  setup.cache = &cache;
  setup.dataDirectory = data;
  auto form = std::make_unique<TAutoForm>(setup);
  ShowAndPaint(*form);
  const double openMs = Ms(timer);
  timer.restart();
  {
    QStandardItemModel model;
    QTreeView view;
    for (int f = 0; f < folders; ++f) {
      auto *folder = new QStandardItem(QStringLiteral("Folder %1").arg(f));
      for (int i = 0; i < perFolder; ++i)
        folder->appendRow(new QStandardItem(QString::fromUtf8(Title(f, i))));
      model.appendRow(folder);
    }
    view.setModel(&model);
    for (int f = 0; f < folders; f += 5)
      view.expand(model.index(f, 0));
    ShowAndPaint(view);
  }
  Row("open the Bookmarks window", openMs, Ms(timer),
      form->Tree().Count() == tree.Count() ? "target < 500 ms" : "FAILED");
  form->File().Hold();
  form.reset();

  // Import of the same tree as a browser's bookmark file.
  const QByteArray html = BookmarkHtml(folders, perFolder);
  QFile htmlFile(dir.filePath("bookmarks.html"));
  htmlFile.open(QIODevice::WriteOnly);
  htmlFile.write(html);
  htmlFile.close();
  TBookmarkOutline imported;
  timer.restart();
  ImportBookmarkFile(dir.filePath("bookmarks.html"), imported, nullptr);
  const double importMs = Ms(timer);
  timer.restart();
  int links = 0;
  for (qsizetype at = html.indexOf("HREF="); at >= 0; at = html.indexOf("HREF=", at + 5))
    ++links;
  Row("import a browser bookmark file", importMs, Ms(timer),
      imported.Count() == tree.Count() + 1 ? "" : "FAILED");
  std::printf("%-40s %10.1f KB\n", "  file size", html.size() / 1024.0);
  return links > 0 ? 0 : 1;
}
