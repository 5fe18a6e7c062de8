// Requests as hostile or careless clients send them, and the suggestions of the off-line page,
// through the real program.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kInvalid = "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n";

std::size_t Count(const std::string &text, const std::string &part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

// Each of these gets the 400 answer at once and never reaches an origin or a made-up host.
TEST_F(ProxyRoadTest, RequestsThatNameNoFetchableUrlGetTheInvalidAnswerAtOnce) {
  ScriptedOrigin origin(
      [&](const std::string &) { return OriginReply{HttpResponse("200 OK", "text/plain", "x")}; });
  StartProxy();
  const std::string at = "origin.test:" + std::to_string(origin.Port());
  const std::vector<std::string> requests = {
      "GET http://" + at + "/ HTTP/1.0\n\n",
      std::string("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03", 11),
      "GET http://user:pass@" + at + "/ HTTP/1.0\r\n\r\n",
      "GET http://[::1]:" + std::to_string(origin.Port()) + "/ HTTP/1.0\r\n\r\n",
      "GET /relative HTTP/1.0\r\n\r\n",
      "GET file:///etc/passwd HTTP/1.0\r\n\r\n",
      "POST http://" + at + "/p HTTP/1.0\r\nContent-Length: -1\r\n\r\n",
      "POST http://" + at + "/p HTTP/1.0\r\nContent-Length: abc\r\n\r\n",
  };
  for (const std::string &request : requests) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Exchange(proxy.Port(), request, 5000), kInvalid) << request;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << request;
  }
  EXPECT_EQ(origin.RequestCount(), 0u);
}

// Off-line, a miss suggests what the cache holds nearby: the directory form of a path, and for
// a query the pages of the same script, newest first, with the page a redirect led to named
// once however many redirects lead there.
TEST_F(ProxyRoadTest, NotInCachePageSuggestsTheDirectoryAndTheQueryPages) {
  std::string base;
  ScriptedOrigin origin([&](const std::string &request) {
    if (request.find(" /q?r=") != std::string::npos)
      return OriginReply{"HTTP/1.0 302 Found\r\nLocation: " + base + "/target\r\n\r\n"};
    if (request.find(" /target ") != std::string::npos)
      return OriginReply{HttpResponse("200 OK", "text/html", "<TITLE>Target</TITLE>t")};
    if (request.find(" /q?a=1 ") != std::string::npos)
      return OriginReply{HttpResponse("200 OK", "text/html", "<TITLE>First</TITLE>1")};
    return OriginReply{HttpResponse("200 OK", "text/plain", "plain")};
  });
  base = Url(origin, "");
  StartProxy();
  for (const char *path : {"/dir/", "/q?a=1", "/q?a=2", "/target", "/q?r=1", "/q?r=2"})
    ASSERT_TRUE(Get(Url(origin, path)).starts_with("HTTP/1.0 ")) << path;
  ASSERT_TRUE(WaitFor([&] { return Files(proxy.DataDir(), "*.ADL").size() == 6; }));
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();

  const std::string dir = Get(Url(origin, "/dir"));
  EXPECT_NE(dir.find("Try the following link(s) instead:<BR><A HREF="), std::string::npos) << dir;
  EXPECT_NE(dir.find("<FONT SIZE=+2>" + base + "/dir/</FONT>"), std::string::npos);

  const std::string query = Get(Url(origin, "/q?zzz"));
  const std::size_t target =
      query.find("<FONT SIZE=+2>Target</FONT></A>\r\n<BR><FONT SIZE=-1>" + base + "/target");
  const std::size_t second = query.find("<FONT SIZE=+2>" + base + "/q?a=2</FONT>");
  const std::size_t first = query.find("<FONT SIZE=+2>First</FONT>\r\n<BR><FONT SIZE=-1>" + base + "/q?a=1");
  ASSERT_NE(target, std::string::npos) << query;
  ASSERT_NE(second, std::string::npos) << query;
  ASSERT_NE(first, std::string::npos) << query;
  EXPECT_LT(target, second);
  EXPECT_LT(second, first);
  EXPECT_EQ(Count(query, "Target"), 1u);
}

} // namespace
} // namespace ql::test
