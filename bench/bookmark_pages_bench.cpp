// Times the pages of the pseudo-host that show the bookmark tree, over a tree 20,000 folders
// deep (or the depth given): a browser's bookmark file of folders each inside the one before
// is imported into the Bookmarks window's tree, as a user would. The proxy, off-line, is asked
// through its listener for /bookmarks, for the "Not in Cache" page of a missing URL and for
// the folder page where that page's add form is completed; while each is being answered
// another browser asks for a page the cache holds. Each page's time and size, and the cached
// page's time, stand beside the same run over a flat tree of as many folders, with the ratio of
// the two sizes. When Chromium is installed, it then shows /bookmarks through the proxy, for
// each tree in turns, three times each: the best time of each tree from its start to its
// picture of the page, and their ratio.
//
// The targets: every page under 16 MB and answered within 5 s, the cached page meanwhile
// within 1 s; the deep tree's folder page at most twice the flat tree's size, and its
// /bookmarks shown in Chromium within twice the flat tree's time.
//
// Usage: bookmark_pages_bench [depth]
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/bookmarks/outline_bookmark_tree.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "support/loopback_exchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using ql::ImportBookmarkText;
using ql::kQuenlarkSettingsKey;
using ql::Now;
using ql::Registry;
using ql::TBookmarkFile;
using ql::TBookmarkOutline;
using ql::TCacheItem;
using ql::TForm1;
using ql::TNetworkWindowSetup;
using ql::TOutlineBookmarkTree;
using ql::TProxyCache;
using ql::TProxyRoad;
using ql::TRegIniFile;
using ql::test::Exchange;
using ql::test::FreePort;

constexpr int32_t kCachedId = 1;
const std::string kCachedUrl = "http://cached.example/page.html";
const QByteArray kCachedKey = "http://cached.example:80/page.html";
// An answer is awaited however long it takes: the figures say how long.
constexpr int kAnswerMs = 600000;

double Ms(const QElapsedTimer &timer) {
  return timer.nsecsElapsed() / 1e6;
}

// A browser's bookmark file of `folders` folders, each inside the one before when nested, all
// side by side otherwise, with a bookmark in the last.
QByteArray BookmarkFile(int folders, bool nested) {
  QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1><TITLE>Deep</TITLE><DL><p>\n";
  for (int f = 0; f < folders; ++f) {
    html += "<DT><H3>Folder " + QByteArray::number(f + 1) + "</H3><DL><p>\n";
    if (!nested)
      html += "</DL><p>\n";
  }
  html += "<DT><A HREF=\"http://deep.example/\">Bottom</A>\n";
  if (nested) {
    for (int f = 0; f < folders; ++f)
      html += "</DL><p>\n";
  }
  return html + "</DL>\n";
}

// A small HTML page in the cache, stored whole.
void StoreCachedPage(TProxyCache &cache) {
  const QByteArray body = "<TITLE>Cached</TITLE>" + QByteArray(2000, 'x');
  QFile file(cache.Store().BodyPath(kCachedId));
  file.open(QIODevice::WriteOnly);
  file.write(body);
  file.close();
  TCacheItem item;
  item.ID = kCachedId;
  item.URL = kCachedKey;
  item.Title = "Cached";
  item.Status = 200;
  item.MimeIndex = 1;
  item.Length = static_cast<int32_t>(body.size());
  item.Retrieved = item.LastAccessed = Now();
  cache.Index().Put(std::move(item));
}

struct TPageFigures {
  double pageMs = -1;
  std::size_t bytes = 0;
  bool whole = false;
  double cachedMs = -1;
};

// Asks for url, and once that request is out asks for the cached page; the proxy answers both
// from this thread's event loop.
TPageFigures Measure(int port, const std::string &url, const char *status) {
  TPageFigures figures;
  std::atomic<bool> sent{false};
  std::atomic<int> done{0};
  std::thread page([&] {
    QElapsedTimer timer;
    timer.start();
    sent = true;
    const std::string answer = Exchange(port, "GET " + url + " HTTP/1.0\r\n\r\n", kAnswerMs);
    figures.pageMs = Ms(timer);
    figures.bytes = answer.size();
    figures.whole = answer.starts_with(status) && answer.ends_with("</BODY>");
    ++done;
  });
  std::thread cached([&] {
    while (!sent)
      std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    QElapsedTimer timer;
    timer.start();
    const std::string answer = Exchange(port, "GET " + kCachedUrl + " HTTP/1.0\r\n\r\n", kAnswerMs);
    figures.cachedMs = answer.find("<TITLE>Cached</TITLE>") != std::string::npos ? Ms(timer) : -1;
    ++done;
  });
  while (done < 2)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  page.join();
  cached.join();
  return figures;
}

std::string Figure(double ms, bool whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ms);
  return whole && ms >= 0 ? text : "failed";
}

void Row(const char *what, const TPageFigures &deep, const TPageFigures &flat) {
  std::printf("%-14s %10s %12zu %10s   %10s %12zu %10s %8.2f\n", what,
              Figure(deep.pageMs, deep.whole).c_str(), deep.bytes, Figure(deep.cachedMs, true).c_str(),
              Figure(flat.pageMs, flat.whole).c_str(), flat.bytes, Figure(flat.cachedMs, true).c_str(),
              flat.bytes > 0 ? double(deep.bytes) / double(flat.bytes) : 0.0);
  std::fflush(stdout);
}

// The time Chromium takes, headless, from its start to its picture of url through the proxy at
// port, the proxy answering from this thread's event loop; -1 when it fails.
double ChromiumMs(const QString &chromium, int port, const std::string &url) {
  QTemporaryDir profile;
  QProcess browser;
  browser.setProgram(chromium);
  // Without the background networking, Chromium tries no host but the page's.
  browser.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                        "--disable-background-networking", "--disable-component-update", "--disable-sync",
                        "--user-data-dir=" + profile.path(),
                        "--proxy-server=http://127.0.0.1:" + QString::number(port), "--window-size=1024,768",
                        "--screenshot=" + profile.filePath("page.png"), QString::fromStdString(url)});
  browser.setStandardOutputFile(QProcess::nullDevice());
  browser.setStandardErrorFile(QProcess::nullDevice());
  QElapsedTimer timer;
  timer.start();
  browser.start();
  while (browser.state() != QProcess::NotRunning && timer.elapsed() < kAnswerMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const double ms = Ms(timer);
  if (browser.state() != QProcess::NotRunning) {
    browser.kill();
    browser.waitForFinished();
    return -1;
  }
  return browser.exitCode() == 0 && QFile::exists(profile.filePath("page.png")) ? ms : -1;
}

// The best of three times of each, taken in turns.
std::pair<double, double> BestChromiumMs(const QString &chromium, int port, const std::string &url,
                                         TProxyRoad &road, TOutlineBookmarkTree &deep,
                                         TOutlineBookmarkTree &flat) {
  double best[2] = {-1, -1};
  for (int run = 0; run < 3; ++run) {
    for (int tree = 0; tree < 2; ++tree) {
      road.SetBookmarkTree(tree == 0 ? &deep : &flat);
      const double ms = ChromiumMs(chromium, port, url);
      if (ms >= 0 && (best[tree] < 0 || ms < best[tree]))
        best[tree] = ms;
    }
  }
  return {best[0], best[1]};
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int depth = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", dir.filePath("share").toUtf8());
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  const int port = FreePort();
  settings.WriteInteger(QStringLiteral("Network"), QStringLiteral("HTTPProxyPort"), port);
  settings.WriteString(QStringLiteral("Network"), QStringLiteral("StartOffLine"), QStringLiteral("1"));
  const QString data = dir.filePath("data") + QStringLiteral("/");

  TProxyRoad road(settings);
  TNetworkWindowSetup setup;
  setup.settings = &settings;
  setup.dataDirectory = data;
  setup.links = road.Links();
  TForm1 form(setup);
  StoreCachedPage(road.Cache());

  TBookmarkOutline deepTree;
  TBookmarkOutline flatTree;
  const bool imported = ImportBookmarkText(BookmarkFile(depth, true), deepTree, nullptr) != nullptr &&
                        ImportBookmarkText(BookmarkFile(depth, false), flatTree, nullptr) != nullptr;
  if (!imported) {
    std::fprintf(stderr, "the bookmark files were not imported\n");
    return 1;
  }
  TBookmarkFile file(data);
  TOutlineBookmarkTree deep(deepTree, file, {});
  TOutlineBookmarkTree flat(flatTree, file, {});

  const std::string self = "http://quenlark.invalid";
  struct TPage {
    const char *what;
    std::string url;
    const char *status;
  };
  const TPage pages[] = {
      {"/bookmarks", self + "/bookmarks", "HTTP/1.0 200 OK\r\n"},
      {"Not in Cache", "http://missing.example/x.html", "HTTP/1.0 404 Not in Cache\r\n"},
      {"folder page", self + "/bookmarks?t=New+Document&u=http%3A%2F%2Fmissing.example%3A80%2Fx.html&n=y",
       "HTTP/1.0 200 OK\r\n"},
  };
  std::printf("A tree %d folders deep beside a flat tree of %d folders, off-line\n", depth, depth);
  std::printf("%-14s %10s %12s %10s   %10s %12s %10s %8s\n", "", "deep ms", "bytes", "cached ms", "flat ms",
              "bytes", "cached ms", "sizes");
  for (const TPage &page : pages) {
    road.SetBookmarkTree(&deep);
    const TPageFigures deepFigures = Measure(port, page.url, page.status);
    road.SetBookmarkTree(&flat);
    const TPageFigures flatFigures = Measure(port, page.url, page.status);
    Row(page.what, deepFigures, flatFigures);
  }
  const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
  if (chromium.isEmpty()) {
    std::printf("Chromium is not installed: /bookmarks is not timed in a browser\n");
  } else {
    const auto [deepMs, flatMs] = BestChromiumMs(chromium, port, pages[0].url, road, deep, flat);
    std::printf("%-14s %10s %12s %10s   %10s %12s %10s %8.2f\n", "in Chromium", Figure(deepMs, true).c_str(),
                "", "", Figure(flatMs, true).c_str(), "", "", flatMs > 0 ? deepMs / flatMs : 0.0);
  }
  road.SetBookmarkTree(nullptr);
  std::printf("targets: every page under 16 MB (16777216 bytes) within 5000 ms; the cached page meanwhile "
              "within 1000 ms; the deep folder page at most 2 times the flat one's size; /bookmarks in "
              "Chromium (its start to its picture of the page) within 2 times the flat tree's time\n");
  return 0;
}
