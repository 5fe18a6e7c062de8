// The program's windows as start-up creates them, in this process: a browser's bookmark file
// imported into the Bookmarks window, Autobrowse run for one of its bookmarks against a web
// server on loopback, the proxy's /bookmarks page read through the listener, and the tree
// found again in auto.dat after the windows are gone.
#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/bookmarks/auto_form.h"
#include "proxy/windows/bookmarks/ext_outline.h"
#include "proxy/windows/control_bar/control_form.h"
#include "proxy/windows/startup/engine_window.h"
#include "proxy/windows/startup/program_windows.h"
#include "support/run_events.h"
#include "support/windows_in_process.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ql {
namespace {

using test::RunEventsUntil;

int ListenOnLoopback(std::uint16_t &port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<::sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<::sockaddr *>(&address), &length) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

// A web site on loopback that answers every request with one small page and records the
// request lines. Runs on a thread of its own until destroyed.
class LocalSite {
public:
  LocalSite() : fd_(ListenOnLoopback(port_)), thread_([this] { Run(); }) {}
  ~LocalSite() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  std::uint16_t Port() const { return port_; }
  std::vector<std::string> Requests() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  void Run() {
    while (!stop_) {
      pollfd ready{fd_, POLLIN, 0};
      if (::poll(&ready, 1, 50) <= 0)
        continue;
      const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      std::string request;
      char buffer[2048];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
          break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request.substr(0, request.find("\r\n")));
      }
      const std::string body =
          "<HTML><HEAD><TITLE>Local Test Site</TITLE></HEAD><BODY>Fetched.</BODY></HTML>";
      const std::string answer =
          "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
          "\r\n\r\n" + body;
      ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      ::close(client);
    }
  }

  std::uint16_t port_ = 0;
  int fd_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Sends a request to the proxy on a thread of its own while this thread runs the program's
// events, and returns the whole answer.
std::string AskProxy(std::uint16_t port, const std::string &request) {
  auto answer = std::async(std::launch::async, [port, request] {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string received;
    if (::connect(fd, reinterpret_cast<::sockaddr *>(&address), sizeof address) == 0) {
      ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
      char buffer[4096];
      for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return received;
  });
  while (answer.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
    QApplication::processEvents();
  return answer.get();
}

// Acts on the modal dialog the program runs next, once it shows.
void WhenDialogShows(std::function<void(QDialog &)> act) {
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      poll->stop();
      act(*dialog);
    }
  });
  poll->start(1);
}

// The browser's export as the fixture holds it, with the local test site on the site's port.
QString BookmarkFileFor(const QTemporaryDir &dir, std::uint16_t sitePort) {
  QFile fixture(qEnvironmentVariable("TEST_SOURCE_DIR") +
                "/../../engine/bookmarks/tests/data/browser-bookmarks.html");
  EXPECT_TRUE(fixture.open(QIODevice::ReadOnly));
  QByteArray html = fixture.readAll();
  html.replace("127.0.0.1:8000", "127.0.0.1:" + QByteArray::number(sitePort));
  const QString path = dir.filePath("bookmarks.html");
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(html);
  return path;
}

TEST(BookmarksAndAutobrowse, AnImportedBookmarkIsAutobrowsedAndServedFromTheRealTree) {
  test::TWindowsInProcess inProcess;
  const QTemporaryDir &dir = inProcess.dir;
  RecordingDialogSink dialogs;
  LocalSite site;
  std::uint16_t proxyPort = 0;
  ::close(ListenOnLoopback(proxyPort));
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile(kQuenlarkSettingsKey, registry).WriteInteger("Network", "HTTPProxyPort", proxyPort);
  const QString data = dir.filePath("data") + "/";
  const QByteArray siteUrl = "http://127.0.0.1:" + QByteArray::number(site.Port()) + "/index.html";
  {
    TProgramWindows windows(registry, data, {});
    ASSERT_FALSE(windows.Halted());
    TAutoForm &bookmarks = windows.Bookmarks();
    windows.ControlForm().ShowAutoForm();
    ASSERT_TRUE(bookmarks.isVisible());

    bookmarks.ImportFile(BookmarkFileFor(dir, site.Port()));
    TBookmarkOutline &tree = bookmarks.Tree();
    ASSERT_EQ(tree.Count(), 12);
    TBookmarkNode *local = tree.Item(3);
    ASSERT_EQ(local->Info().URL, siteUrl);
    EXPECT_EQ(QString::fromUtf8(tree.Item(7)->Info().Title), QString::fromUtf8("日本語のページ"));
    bookmarks.Outline().Select(local);
    bookmarks.GrabNextTimeClick();
    ASSERT_EQ(local->Info().GetNextTime, 1);

    // The session finds the bookmark in the window's tree, fetches it and stores it as its
    // Autobrowse entry; the outline shows the bookmark as unread.
    TAutobrowseSession &session = windows.Engine().Road().Autobrowse();
    session.StartAutobrowseSession();
    ASSERT_TRUE(RunEventsUntil([&] { return !session.Running(); }, 15000));
    ASSERT_EQ(site.Requests().size(), 1u);
    EXPECT_EQ(site.Requests()[0], "GET /index.html HTTP/1.0");
    const TBMInfo &fetched = local->Info();
    EXPECT_EQ(fetched.GetNextTime, 0);
    EXPECT_EQ(fetched.Locked, 0);
    EXPECT_EQ(fetched.HasAutoEntries, 1);
    EXPECT_GT(fetched.LastVisit, 0);
    const std::vector<int32_t> ids = windows.Engine().Cache().Index().IdsForUrl(siteUrl);
    ASSERT_EQ(ids.size(), 1u);
    const TCacheItem *entry = windows.Engine().Cache().Index().FindCacheItemById(ids[0]);
    EXPECT_EQ(entry->EntryType, Auto);
    EXPECT_EQ(entry->BMSerial, fetched.SerialId);

    // A bookmark dropped on a folder marked for the next session is not fetched while its
    // Properties dialog is open, since Cancel takes it away again.
    tree.Item(2)->Info().GetNextTime = 1;
    bool ranWhileOpen = false;
    WhenDialogShows([&](QDialog &properties) {
      session.StartAutobrowseSession();
      ranWhileOpen = RunEventsUntil([&] { return !session.Running(); }, 15000);
      properties.reject();
    });
    bookmarks.DropUrl(tree.Item(2), "Other page", QString::fromUtf8(siteUrl).replace("index", "other"));
    EXPECT_TRUE(ranWhileOpen);
    EXPECT_EQ(site.Requests().size(), 1u);
    EXPECT_EQ(tree.Count(), 12);
    tree.Item(2)->Info().GetNextTime = 0;

    // The /bookmarks page lists the imported tree, and its form (sent from the page) adds a
    // bookmark to a folder of it.
    const std::string page =
        AskProxy(proxyPort, std::string("GET http://") + kPseudoHost + "/bookmarks HTTP/1.0\r\n\r\n");
    EXPECT_NE(page.find("Local Test Site"), std::string::npos) << page;
    EXPECT_NE(page.find("日本語のページ"), std::string::npos) << page;
    AskProxy(proxyPort, std::string("GET http://") + kPseudoHost +
                            "/bookmarks?p=" + std::to_string(tree.Item(1)->Info().SerialId) +
                            "&t=Added&u=http%3A%2F%2Fadded.example%2F HTTP/1.0\r\nReferer: http://" +
                            kPseudoHost + "/bookmarks\r\n\r\n");
    ASSERT_EQ(tree.Count(), 13);
    TBookmarkNode *top = tree.Item(1);
    EXPECT_EQ(top->Child(top->ChildCount() - 1)->Info().URL, "http://added.example/");
  }
  // The windows are gone: the tree was saved, Autobrowse marks with it.
  TBookmarkOutline saved;
  ASSERT_TRUE(TBookmarkFile(data).Load(saved));
  ASSERT_EQ(saved.Count(), 13);
  EXPECT_EQ(saved.Item(3)->Info().URL, siteUrl);
  EXPECT_EQ(saved.Item(3)->Info().HasAutoEntries, 1);
  EXPECT_GT(saved.Item(3)->Info().LastVisit, 0);
  EXPECT_TRUE(dialogs.Requests().empty());
}

} // namespace
} // namespace ql
