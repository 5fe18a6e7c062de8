// The real program against origins that misbehave: each browser gets what the origin sent (no
// more than it declared) or an error (a header that never ends gets the "502 Bad Gateway" page), and nothing
// cut short is ever served from the cache as if it were whole, neither later in the same run nor after a
// restart.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kTimeOut = "HTTP/1.0 503 TimeOut\r\nAllow: GET POST\r\n\r\n<H1>503 Request Timed Out</H1>";

std::string HugeHeader() {
  std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n";
  while (header.size() < (1u << 20))
    header += "X-Padding: " + std::string(100, 'p') + "\r\n";
  return header + "Content-Length: 4\r\n\r\nbody";
}

TEST_F(ProxyRoadTest, HostileOriginsNeverLeaveACutBodyInTheCache) {
  const std::string body(30000, 'b');
  std::map<std::string, OriginReply> replies = {
      {"/no-header-end", {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n", 0, 0ms, true}},
      {"/huge-header", {HugeHeader(), 65536}},
      {"/length-short", {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + body}},
      {"/length-long", {"HTTP/1.0 200 OK\r\nContent-Length: 60000\r\n\r\n" + body}},
      {"/close-mid-body",
       {"HTTP/1.0 200 OK\r\nContent-Length: 60000\r\n\r\n" + body, 10000, 50ms, false, true}},
      {"/chunked", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"}},
      {"/silence", {"", 0, 0ms, true}},
      {"/whole", {HttpResponse("200 OK", "text/plain", body, kModified)}},
  };
  ScriptedOrigin origin([&](const std::string &request) {
    const std::size_t start = request.find(' ') + 1;
    return replies.at(request.substr(start, request.find(' ', start) - start));
  });
  StartProxy();
  std::size_t asked = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto &[path, reply] : replies) {
      const std::string answer = Get(Url(origin, path));
      if (path == "/silence") {
        EXPECT_EQ(answer, kTimeOut);
      } else if (path == "/no-header-end") {
        EXPECT_TRUE(answer == kTimeOut || answer == reply.bytes + "\r\n\r\nTIMED OUT") << answer;
      } else if (path == "/huge-header") {
        EXPECT_TRUE(answer.starts_with("HTTP/1.0 502 Bad Gateway\r\n")) << answer.substr(0, 60);
      } else if (path == "/length-short") {
        // Only the declared bytes: what came after them belongs to no answer.
        EXPECT_EQ(answer, reply.bytes.substr(0, reply.bytes.find("\r\n\r\n") + 4 + 100));
      } else if (path == "/whole" && pass == 1) {
        EXPECT_TRUE(answer.starts_with("HTTP/1.0 200\r\n") && answer.ends_with(body)) << answer.substr(0, 60);
      } else if (!reply.reset) {
        EXPECT_EQ(answer.size(), reply.bytes.size()) << path;
        EXPECT_TRUE(answer == reply.bytes) << path;
      } else {
        EXPECT_TRUE(reply.bytes.starts_with(answer)) << path;
      }
      ++asked;
    }
    // Every request went to the origin again, except the second one for the whole answer,
    // which came from the cache.
    EXPECT_EQ(origin.RequestCount(), pass == 0 ? asked : asked - 1);
  }
  ASSERT_TRUE(WaitFor([&] { return NoDownloadLeft(proxy.TempDir()); }));
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  for (const auto &[path, reply] : replies) {
    const std::string answer = Get(Url(origin, path));
    if (path == "/whole")
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 200\r\n") && answer.ends_with(body)) << answer.substr(0, 60);
    else
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 404 Not in Cache\r\n"))
          << path << ": " << answer.substr(0, 60);
  }
}

// An origin that ends the connection without a byte, in order or with a reset, gets the browser
// the "502 Bad Gateway" page, which is never stored. One that sends more than it declared gets
// the browser the declared bytes alone, and is not stored either.
TEST_F(ProxyRoadTest, EmptyAndOverlongAnswers) {
  const std::string body(102400, 'o');
  const std::map<std::string, OriginReply> replies = {
      {"/empty", {""}},
      {"/empty-reset", {"", 0, 0ms, false, true}},
      {"/overlong", {"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n" + kModified + "\r\n" + body, 8192}},
  };
  ScriptedOrigin origin([&](const std::string &request) {
    const std::size_t start = request.find(' ') + 1;
    return replies.at(request.substr(start, request.find(' ', start) - start));
  });
  StartProxy();
  for (int pass = 0; pass < 2; ++pass) {
    for (const char *path : {"/empty", "/empty-reset"}) {
      const std::string answer = Get(Url(origin, path));
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 502 Bad Gateway\r\nContent-type: text/html")) << answer;
      EXPECT_NE(answer.find("<TITLE>Quenlark Information</TITLE>"), std::string::npos);
      EXPECT_NE(answer.find("http://origin.test:" + std::to_string(origin.Port()) + path), std::string::npos);
    }
    const std::string &overlong = replies.at("/overlong").bytes;
    EXPECT_EQ(Get(Url(origin, "/overlong")), overlong.substr(0, overlong.find("\r\n\r\n") + 4 + 1000));
  }
  EXPECT_EQ(origin.RequestCount(), 6u);
}

} // namespace
} // namespace ql::test
