// Times an Autobrowse session and the /cache page.
//
// A scripted site of linked pages (2,000 by default) on loopback is read to depth 3 by one
// session while a browser fetches other pages of the site through the proxy's on-line relay.
// Beside it stand two reference runs of four clients at once, as many as the session's window
// of fetches: the same pages fetched straight from the origin, and the same pages asked for
// through the proxy as misses (each under an address of its own, so that the proxy fetches and
// stores every one, as the session does, but without following links). The bench prints pages
// per second and the session's wall time, and how the relay fared meanwhile.
//
// Then the cache index is filled with 100,000 entries (or the count given) and the /cache page
// is asked for through the listener: a new search, a search that matches every entry, a page
// step, a new order and the page without a query. Beside each stands a bare loop doing the same
// search and sort over the index.
//
// Usage: autobrowse_bench [pages] [entries]
#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "support/loopback_exchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using ql::Auto;
using ql::kQuenlarkSettingsKey;
using ql::Now;
using ql::Registry;
using ql::TAutobrowseSession;
using ql::TBMInfo;
using ql::TBookmarkTree;
using ql::TCacheIndex;
using ql::TCacheItem;
using ql::TDateTime;
using ql::TForm1;
using ql::TNetworkWindowSetup;
using ql::TNoAutobrowseWindowYet;
using ql::TProxyRoad;
using ql::TRegIniFile;
using ql::test::Exchange;
using ql::test::FreePort;

constexpr int kBranching = 13; // page i links to pages 13i+1 .. 13i+13: 2,380 pages lie within depth 3
// An answer is awaited however long it takes: the figures say how long.
constexpr int kAnswerMs = 600000;

double Ms(const QElapsedTimer &timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Row(const char *what, double value, double reference, const char *unit, double second = -2) {
  std::printf("%-44s %10.1f", what, value);
  for (const double other : {reference, second}) {
    if (other >= 0)
      std::printf(" %12.1f", other);
    else if (other == -1)
      std::printf(" %12s", "-");
  }
  std::printf("  %s\n", unit);
  std::fflush(stdout);
}

std::string PageBody(int index, int pages) {
  std::string body = "<HTML><HEAD><TITLE>Page " + std::to_string(index) + "</TITLE></HEAD><BODY>\n";
  for (int child = kBranching * index + 1; child <= kBranching * index + kBranching && child < pages; ++child)
    body += "<A HREF=/p" + std::to_string(child) + ".html>Page " + std::to_string(child) + "</A><BR>\n";
  body += "<P>";
  for (int i = 0; i < 60; ++i)
    body += "Some words of the page's text that make it as long as an ordinary one. ";
  return body + "</P></BODY></HTML>\n";
}

// An HTTP/1.0 origin on 127.0.0.1 with a few threads that each accept and answer connections.
// "/pN.html" is page N of the linked site, "/rN.html" a page for the relay; anything else 404.
class Origin {
public:
  explicit Origin(int pages) : pages_(pages) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd_, 512) != 0) {
      std::perror("origin");
      std::exit(1);
    }
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 8; ++i)
      threads_.emplace_back([this] { Serve(); });
  }
  ~Origin() {
    stop_ = true;
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    for (std::thread &thread : threads_)
      thread.join();
  }

  int Port() const { return port_; }
  int Requests() const { return requests_; }
  // The span from the first to the last request for a page of the linked site, in ms.
  double PageSpanMs() const { return (lastPage_ - firstPage_) / 1e6; }
  void ResetSpan() {
    firstPage_ = 0;
    lastPage_ = 0;
  }

private:
  void Serve() {
    while (!stop_) {
      const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      std::string request;
      char piece[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(client, piece, sizeof piece, 0);
        if (got <= 0)
          break;
        request.append(piece, static_cast<std::size_t>(got));
      }
      ++requests_;
      const std::size_t start = request.find(' ') + 1;
      const std::string path = request.substr(start, request.find(' ', start) - start);
      std::string answer;
      int number = -1;
      if (std::sscanf(path.c_str(), "/p%d.html", &number) == 1 && number >= 0 && number < pages_) {
        answer = PageBody(number, pages_);
        const long long now = std::chrono::steady_clock::now().time_since_epoch().count();
        long long unset = 0;
        firstPage_.compare_exchange_strong(unset, now);
        lastPage_ = now;
      } else if (std::sscanf(path.c_str(), "/r%d.html", &number) == 1) {
        answer = PageBody(pages_ + number, pages_);
      }
      const std::string head = answer.empty()
                                   ? "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n"
                                   : "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                         std::to_string(answer.size()) + "\r\n\r\n";
      const std::string all = head + answer;
      for (std::size_t at = 0; at < all.size();) {
        const ssize_t sent = ::send(client, all.data() + at, all.size() - at, MSG_NOSIGNAL);
        if (sent <= 0)
          break;
        at += static_cast<std::size_t>(sent);
      }
      ::shutdown(client, SHUT_WR);
      while (::recv(client, piece, sizeof piece, 0) > 0) {
      }
      ::close(client);
    }
  }

  int pages_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::atomic<long long> firstPage_{0};
  std::atomic<long long> lastPage_{0};
  std::vector<std::thread> threads_;
};

class Tree : public TBookmarkTree {
public:
  std::vector<std::unique_ptr<TBMInfo>> nodes;
  int Count() const override { return static_cast<int>(nodes.size()); }
  TBMInfo &Info(int node) override { return *nodes.at(static_cast<std::size_t>(node)); }
  int Level(int node) const override { return node == 0 ? 1 : 2; }
  void AddLastChild(int, std::unique_ptr<TBMInfo> info) override { nodes.push_back(std::move(info)); }
  void SaveExtOutline() override {}
  void Repaint() override {}
};

class View : public TNoAutobrowseWindowYet {
public:
  void SessionEnded() override { ended = true; }
  bool ended = false;
};

void PumpUntil(const std::function<bool()> &done) {
  while (!done())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The pages asked for by four clients at once, as many as the session's window of fetches,
// each request text made by requestOf from the page's number: pages per second.
double FourClients(int port, int pages, const std::function<std::string(int)> &requestOf) {
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  QElapsedTimer timer;
  timer.start();
  std::vector<std::thread> clients;
  for (int i = 0; i < TAutobrowseSession::kMaxFetches; ++i) {
    clients.emplace_back([&] {
      for (int page; (page = next++) < pages;)
        Exchange(port, requestOf(page), kAnswerMs);
      ++done;
    });
  }
  // The proxy answers from this thread's event loop.
  PumpUntil([&] { return done == TAutobrowseSession::kMaxFetches; });
  const double seconds = Ms(timer) / 1000.0;
  for (std::thread &client : clients)
    client.join();
  return pages / seconds;
}

void BenchSession(TProxyRoad &road, Tree &tree, View &view, int proxyPort, Origin &origin, int pages) {
  // Straight from the origin; and through the proxy, each page under an address of its own, so
  // that every one is a miss that the proxy fetches and stores, as the session does, but
  // without following links.
  const double reference = FourClients(origin.Port(), pages, [](int page) {
    return "GET /p" + std::to_string(page) + ".html HTTP/1.0\r\n\r\n";
  });
  const double throughProxy = FourClients(proxyPort, pages, [&](int page) {
    return "GET http://127.0.0.1:" + std::to_string(origin.Port()) + "/p" + std::to_string(page) +
           ".html?miss HTTP/1.0\r\n\r\n";
  });
  const int before = origin.Requests();
  origin.ResetSpan();

  auto bookmark = std::make_unique<TBMInfo>();
  bookmark->Title = "Bench site";
  bookmark->URL = "http://127.0.0.1:" + QByteArray::number(origin.Port()) + "/p0.html";
  bookmark->Depth = 3;
  bookmark->GetNextTime = 1;
  bookmark->SizeLimit = 1 << 30;
  tree.nodes.push_back(std::move(bookmark));

  // The browser's relay beside the session: one page after the other until the session ends.
  std::atomic<bool> relaying{true};
  std::atomic<bool> relayDone{false};
  std::atomic<int> relayed{0};
  std::atomic<long long> relayNs{0};
  std::thread relay([&] {
    for (int i = 0; relaying; ++i) {
      QElapsedTimer one;
      one.start();
      const std::string answer = Exchange(proxyPort,
                                          "GET http://127.0.0.1:" + std::to_string(origin.Port()) + "/r" +
                                              std::to_string(i) + ".html HTTP/1.0\r\n\r\n",
                                          kAnswerMs);
      if (answer.starts_with("HTTP/1.0 200")) {
        ++relayed;
        relayNs += one.nsecsElapsed();
      }
    }
    relayDone = true;
  });

  QElapsedTimer timer;
  timer.start();
  road.Autobrowse().StartAutobrowseSession();
  PumpUntil([&] { return view.ended; });
  const double wall = Ms(timer);
  // The relay's last exchange needs the event loop to finish.
  relaying = false;
  PumpUntil([&] { return relayDone.load(); });
  relay.join();

  int stored = 0;
  road.Cache().Index().ForEach([&](const TCacheItem &item) { stored += item.EntryType == Auto ? 1 : 0; });
  const int fetched = origin.Requests() - before - relayed;
  std::printf("%-44s %10s %12s %12s\n", "", "session", "straight", "via proxy");
  Row("pages per second", stored / (wall / 1000.0), reference,
      "references: 4 clients straight to the origin; 4 clients through the proxy, all misses", throughProxy);
  Row("pages per second while fetching", stored / (origin.PageSpanMs() / 1000.0), reference,
      "from the first page asked for to the last", throughProxy);
  Row("session wall time", wall, pages / reference * 1000.0, "ms, for the pages stored",
      pages / throughProxy * 1000.0);
  Row("pages stored as Autobrowse entries", stored, pages, "", pages);
  Row("origin requests of the session", fetched, -1, "", -1);
  Row("relay pages fetched meanwhile", relayed, -1, "", -1);
  Row("relay mean latency", relayed > 0 ? relayNs / 1e6 / relayed : 0, -1, "ms", -1);
}

QByteArray UrlOf(int i) {
  return "http://host" + QByteArray::number(i % 997) + ".example:80/section/" + QByteArray::number(i) +
         "/page.html";
}

void BenchCachePage(TProxyRoad &road, int proxyPort, int entries) {
  TCacheIndex &index = road.Cache().Index();
  const int firstId = index.HighestCacheId() + 1;
  const TDateTime now = Now();
  for (int i = 0; i < entries; ++i) {
    TCacheItem item;
    item.ID = firstId + i;
    item.URL = UrlOf(i);
    item.Title = "Page number " + QByteArray::number(i) + " of the archive";
    item.Status = 200;
    item.MimeIndex = 1;
    item.Length = 1000;
    item.Retrieved = item.LastAccessed = now - i / 10000.0;
    index.Put(std::move(item));
  }

  struct Step {
    const char *what;
    std::string query;
  };
  const std::vector<Step> steps = {
      {"/cache: new search, 100 matches", "?page=1&url=host17.example&text=y&sort=u&order=a"},
      {"/cache: new search, every entry matches", "?page=1&url=example&text=y&sort=u&order=a"},
      {"/cache: next page", "?page=2&url=example&text=y&sort=u&order=a"},
      {"/cache: new order (title, descending)", "?page=1&url=example&text=y&sort=t&order=d"},
      {"/cache: without a query (sorts again)", ""},
  };
  std::vector<double> times;
  std::thread client([&] {
    for (const Step &step : steps) {
      QElapsedTimer one;
      one.start();
      const std::string answer = Exchange(proxyPort,
                                          "GET http://quenlark.invalid/cache" + step.query +
                                              " HTTP/1.0\r\nReferer: http://quenlark.invalid/cache\r\n\r\n",
                                          kAnswerMs);
      times.push_back(answer.starts_with("HTTP/1.0 200") ? Ms(one) : -1);
    }
  });
  PumpUntil([&] { return times.size() == steps.size(); });
  client.join();

  // The bare work: a case-blind substring test over every URL, then a sort of the matches by
  // their lower-cased URLs.
  std::vector<const TCacheItem *> all;
  index.ForEach([&](const TCacheItem &item) { all.push_back(&item); });
  const auto bare = [&](const QByteArray &text) {
    QElapsedTimer timer;
    timer.start();
    std::vector<std::pair<QByteArray, const TCacheItem *>> hits;
    const QByteArray upper = text.toUpper();
    for (const TCacheItem *item : all) {
      if (item->MimeIndex >= 1 && item->URL.toUpper().contains(upper))
        hits.emplace_back(item->URL.toLower(), item);
    }
    std::sort(hits.begin(), hits.end());
    return Ms(timer);
  };
  const double few = bare("host17.example");
  const double every = bare("example");
  std::printf("\n%-44s %10s %12s\n", "", "page", "bare loop");
  for (std::size_t i = 0; i < steps.size(); ++i)
    Row(steps[i].what, times[i], i == 0 ? few : i == 1 ? every : -1, "ms; target under 100");
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int entries = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  qputenv("XDG_DATA_HOME", dir.filePath("share").toUtf8());

  Origin origin(pages);
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  const int proxyPort = FreePort();
  settings.WriteInteger(QStringLiteral("Network"), QStringLiteral("HTTPProxyPort"), proxyPort);
  settings.WriteString(QStringLiteral("Network"), QStringLiteral("StartOffLine"), QStringLiteral("0"));
  settings.WriteInteger(QStringLiteral("Cache"), QStringLiteral("MaxCacheSize"), 64 << 20);

  Tree tree;
  View view;
  TProxyRoad road(settings);
  road.SetBookmarkTree(&tree);
  road.SetAutobrowseView(&view);
  TNetworkWindowSetup setup;
  setup.settings = &settings;
  setup.dataDirectory = dir.filePath("data") + QStringLiteral("/");
  setup.links = road.Links();
  TForm1 form(setup);

  std::printf("Autobrowse of %d linked pages to depth 3 on loopback\n", pages);
  BenchSession(road, tree, view, proxyPort, origin, pages);
  BenchCachePage(road, proxyPort, entries);
  return 0;
}
