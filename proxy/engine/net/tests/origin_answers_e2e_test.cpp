// The origin side of the real program against scripted origins: what is stored, what the
// origin is sent, how a slow browser holds the origin back, and the ends without an answer.
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kNotInCache = "HTTP/1.0 404 Not in Cache\r\n";

// Only a whole answer is stored: off-line, after a restart, each cut or unknown-length answer
// is missing from the cache, while the whole ones are served. The browser got each as it came,
// except bytes that are not HTTP, which got it the "502 Bad Gateway" page.
TEST_F(ProxyRoadTest, OnlyWholeAnswersAreStored) {
  const std::string half = "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(50000, 'h');
  const std::string noLength = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + std::string(3000, 'n');
  const std::map<std::string, OriginReply> replies = {
      {"/half-closed", {half}},
      {"/half-reset", {half, 0, 0ms, false, true}},
      {"/nolength-reset", {noLength, 0, 0ms, false, true}},
      {"/nolength-stalled", {noLength, 0, 0ms, true}},
      {"/too-long", {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n" + std::string(20, 'l')}},
      {"/chunked", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"}},
      {"/not-http", {std::string(20000, 'x')}},
      {"/header-cut", {"HTTP/1.0 302 Found\r\nLocation: http://origin.test/x"}},
      {"/whole", {HttpResponse("200 OK", "text/plain", "whole body")}},
      {"/whole-nolength", {noLength}},
  };
  ScriptedOrigin origin([&](const std::string &request) {
    const std::size_t start = request.find(' ') + 1;
    return replies.at(request.substr(start, request.find(' ', start) - start));
  });
  StartProxy();
  for (const auto &[path, reply] : replies) {
    const std::string answer = Get(Url(origin, path));
    if (path == "/nolength-stalled") {
      EXPECT_EQ(answer, reply.bytes + "\r\n\r\nTIMED OUT");
    } else if (path == "/too-long") {
      EXPECT_EQ(answer, "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n" + std::string(10, 'l'));
    } else if (path == "/not-http") {
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 502 Bad Gateway\r\n")) << answer.substr(0, 40);
    } else if (!reply.reset) {
      EXPECT_EQ(answer, reply.bytes) << path;
    }
  }
  EXPECT_TRUE(WaitFor([&] { return NoDownloadLeft(proxy.TempDir()); }));
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  for (const auto &[path, reply] : replies) {
    const std::string answer = Get(Url(origin, path));
    if (path.starts_with("/whole"))
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 200\r\n")) << path << ": " << answer.substr(0, 40);
    else
      EXPECT_TRUE(answer.starts_with(kNotInCache)) << path << ": " << answer.substr(0, 40);
  }
}

// The origin is asked for the URL's own host, whatever Host the browser wrote, and gets no
// Content-length for a request without a body (it would wait for bytes that never come).
// A blank in the URL reaches the origin percent-encoded.
TEST_F(ProxyRoadTest, OriginGetsTheUrlsHostAndNoStrayLength) {
  ScriptedOrigin origin(
      [&](const std::string &) { return OriginReply{HttpResponse("200 OK", "text/plain", "ok")}; });
  StartProxy();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Get(Url(origin, "/a"), "Host: evil.example\r\nContent-Length: 5\r\n"),
            HttpResponse("200 OK", "text/plain", "ok"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  Exchange(proxy.Port(), "HEAD " + Url(origin, "/b c") + " HTTP/1.0\r\nContent-Length: 7\r\n\r\n");
  const std::vector<std::string> requests = origin.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "GET /a HTTP/1.0\r\nHost: origin.test:" + std::to_string(origin.Port()) + "\r\n" +
                             kAccept + "\r\n");
  EXPECT_EQ(requests[1], "HEAD /b%20c HTTP/1.0\r\n" + kAccept + "\r\n");
}

// A browser that reads slowly holds the origin back: the proxy keeps about a megabyte for it,
// not the whole answer, and the download file still gets every byte.
TEST_F(ProxyRoadTest, SlowBrowserHoldsTheOriginBack) {
  std::string big(40 * 1024 * 1024, '\0');
  for (std::size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<char>('a' + (i * 7919) % 26);
  const std::string response = HttpResponse("200 OK", "application/octet-stream", big, kModified);
  ScriptedOrigin origin([&](const std::string &) { return OriginReply{response, 1 << 20}; });
  // The origin's two-minute time-out must not end the fetch while the browser holds it back.
  proxy.Hooks()["TIMER_SCALE"] = "0.1";
  proxy.Values()["Cache"]["MaxCacheItemSize"] = "50000000";
  proxy.Values()["Cache"]["MaxCacheSize"] = "100000000";
  StartProxy();
  const long before = ResidentKiB(proxy.ProcessId());

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int small = 65536;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(proxy.Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  const std::string request = "GET " + Url(origin, "/big") + " HTTP/1.0\r\n\r\n";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::this_thread::sleep_for(1500ms);
  const long during = ResidentKiB(proxy.ProcessId());
  EXPECT_LT(during - before, 16 * 1024) << "resident KiB before " << before << ", while held " << during;

  const std::string answer = ReadUntilClosed(fd, 1 << 20);
  EXPECT_EQ(answer.size(), response.size());
  EXPECT_TRUE(answer == response);
  EXPECT_TRUE(WaitFor([&] { return QFile(proxy.DataDir() + "/1.ADL").size() == qint64(big.size()); }));
}

// A lookup that never finishes ends with the time-out answer; unfinished downloads and spare
// files of an earlier run are gone at the start; the registry's settings set no test hooks.
TEST_F(ProxyRoadTest, LookupTimeOutLeftoverDownloadsAndHooksFromTheEnvironmentOnly) {
  proxy.Hooks()["HOLD_LOOKUPS"] = "1";
  proxy.Values()["Testing"]["Hosts"] = "listed.test=127.0.0.1";
  QDir().mkpath(proxy.TempDir());
  for (const char *name : {"/ts17.adr", "/spare4.tmp"}) {
    QFile leftover(proxy.TempDir() + name);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  }
  StartProxy();
  EXPECT_TRUE(QDir(proxy.TempDir()).isEmpty());
  EXPECT_EQ(Get("http://slow.test/x"),
            "HTTP/1.0 503 TimeOut\r\nAllow: GET POST\r\n\r\n<H1>503 Request Timed Out</H1>");
  proxy.Stop();

  proxy.Hooks().erase("HOLD_LOOKUPS");
  StartProxy();
  EXPECT_TRUE(Get("http://listed.test/x").starts_with("HTTP/1.0 404 DNS not found\r\n"));
}

} // namespace
} // namespace ql::test
