// The real program reading origins' answers: each field by the name at the start of its line,
// answers that are not HTTP turned into the "502 Bad Gateway" page, and answers that end at
// their header (HEAD, 204, 304) relayed and answered from the cache without a body.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kNotInCache = "HTTP/1.0 404 Not in Cache\r\n";
const std::string kBadGateway = "HTTP/1.0 502 Bad Gateway\r\n";

// Each answer is relayed as the origin's fields say, never as a name inside another field says,
// and is stored only when it is HTTP: the answers off-line, after a restart, show what was kept.
// An origin that holds its connection open after a header that ends the answer does not hold
// the browser.
TEST_F(ProxyRoadTest, AnswersAreReadByTheirFieldsAndOnlyHttpIsRelayed) {
  const std::string twenty(20, 't');
  const std::string thirty(30, 'v');
  std::string hugeLine =
      "HTTP/1.0 200 OK\r\nX-Big: " + std::string(1 << 20, 'x') + "\r\nContent-Length: 4\r\n\r\nbody";
  std::string endless = "HTTP/1.0 200 OK\r\n";
  while (endless.size() < 100000)
    endless += "X-More: " + std::string(60, 'm') + "\r\n";
  const std::map<std::string, OriginReply> replies = {
      {"/original-length",
       {"HTTP/1.0 200 OK\r\nX-Original-Content-Length: 10\r\nContent-Length: 20\r\n" + kModified + "\r\n" +
        twenty}},
      {"/length-in-value", {"HTTP/1.0 200 OK\r\nX-Note: see content-length: 3\r\n\r\n" + thirty}},
      {"/typed",
       {"HTTP/1.0 200 OK\r\nX-Content-Type: text/html\r\nContent-Type: image/gif\r\n"
        "X-Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\nContent-Length: 5\r\n\r\nGIF89"}},
      {"/moved",
       {"HTTP/1.0 302 Found\r\nX-Location: http://wrong.test/\r\nLocation: http://right.test/\r\n"
        "Content-Length: 0\r\n\r\n"}},
      {"/two-lengths", {"HTTP/1.0 200 OK\r\nContent-Length: 20\r\nContent-Length: 5\r\n\r\n" + twenty}},
      {"/status-2000", {"HTTP/1.0 2000 OK\r\nContent-Length: 4\r\n\r\nbody"}},
      {"/huge-line", {hugeLine, 65536}},
      {"/endless", {endless, 8192, 0ms, true}},
      {"/no-content", {"HTTP/1.0 204 No Content\r\nContent-Length: 12\r\n\r\ntwelve bytes", 0, 0ms, true}},
      {"/not-modified", {"HTTP/1.0 304 Not Modified\r\n\r\nstray", 0, 0ms, true}},
  };
  ScriptedOrigin origin([&](const std::string &request) {
    const std::size_t start = request.find(' ') + 1;
    return replies.at(request.substr(start, request.find(' ', start) - start));
  });
  StartProxy();
  const auto headerOf = [&](const std::string &path) {
    const std::string &bytes = replies.at(path).bytes;
    return bytes.substr(0, bytes.find("\r\n\r\n") + 4);
  };
  for (const char *path : {"/original-length", "/length-in-value", "/typed", "/moved"})
    EXPECT_EQ(Get(Url(origin, path)), replies.at(path).bytes) << path;
  for (const char *path : {"/two-lengths", "/status-2000", "/huge-line", "/endless"}) {
    const std::string answer = Get(Url(origin, path));
    EXPECT_TRUE(answer.starts_with(kBadGateway)) << path << ": " << answer.substr(0, 60);
    EXPECT_NE(answer.find("The server sent an answer that cannot be read"), std::string::npos) << path;
  }
  for (const char *path : {"/no-content", "/not-modified"})
    EXPECT_EQ(Get(Url(origin, path)), headerOf(path)) << path;
  // A date found inside another field's name dates nothing: the entry is asked for again.
  EXPECT_EQ(Get(Url(origin, "/typed")), replies.at("/typed").bytes);
  EXPECT_EQ(origin.RequestCount(), replies.size() + 1);

  ASSERT_TRUE(WaitFor([&] { return NoDownloadLeft(proxy.TempDir()); }));
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  EXPECT_EQ(
      Get(Url(origin, "/original-length")),
      "HTTP/1.0 200\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nLast-Modified: Sun, 06 Nov 1994 08:49:37 "
      "GMT\r\nContent-length: 20\r\n\r\n" +
          twenty);
  EXPECT_TRUE(Get(Url(origin, "/length-in-value")).ends_with("Content-length: 30\r\n\r\n" + thirty));
  EXPECT_EQ(Get(Url(origin, "/typed")),
            "HTTP/1.0 200\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: image/gif\r\n"
            "Content-length: 5\r\n\r\nGIF89");
  EXPECT_EQ(
      Get(Url(origin, "/moved")),
      "HTTP/1.0 302 Found\r\nLocation: http://right.test/\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n\r\n");
  for (const char *path :
       {"/two-lengths", "/status-2000", "/huge-line", "/endless", "/no-content", "/not-modified"})
    EXPECT_TRUE(Get(Url(origin, path)).starts_with(kNotInCache)) << path;
}

// A HEAD gets the header alone: from the origin, which is not waited for once its header is in
// whatever it sends after it, from the cache (also when the origin confirms the entry with a
// 304), and off-line. Its answer is never stored.
TEST_F(ProxyRoadTest, AHeadGetsTheHeaderAlone) {
  const std::string body(10240, 'h');
  const std::string header =
      "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: 10240\r\n" + kModified +
      "\r\n";
  const std::string moved = "HTTP/1.0 301 Moved Permanently\r\nLocation: http://right.test/\r\n\r\n";
  ScriptedOrigin origin([&](const std::string &request) {
    if (request.starts_with("HEAD /moved "))
      return OriginReply{moved};
    if (!request.starts_with("HEAD "))
      return OriginReply{header + body};
    if (request.find("If-Modified-Since:") != std::string::npos)
      return OriginReply{"HTTP/1.0 304 Not Modified\r\n\r\nstray", 0, 0ms, true};
    return OriginReply{header + "stray bytes after the header", 0, 0ms, true};
  });
  StartProxy();
  const std::string request = "HEAD " + Url(origin, "/object") + " HTTP/1.0\r\n\r\n";
  const std::string cached = "HTTP/1.0 200\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                             "application/octet-stream\r\nLast-Modified: Sun, 06 Nov 1994 08:49:37 "
                             "GMT\r\nContent-length: 10240\r\n\r\n";

  EXPECT_EQ(Exchange(proxy.Port(), request), header);
  EXPECT_EQ(Exchange(proxy.Port(), "HEAD " + Url(origin, "/moved") + " HTTP/1.0\r\n\r\n"), moved);
  EXPECT_EQ(Get(Url(origin, "/object")), header + body);
  EXPECT_EQ(Exchange(proxy.Port(), request), cached);
  EXPECT_EQ(origin.RequestCount(), 3u);

  // After a restart the entry is confirmed first.
  proxy.Stop();
  StartProxy();
  EXPECT_EQ(Exchange(proxy.Port(), request), "HTTP/1.0 200 OK" + cached.substr(12));
  EXPECT_EQ(origin.RequestCount(), 4u);

  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  EXPECT_EQ(Exchange(proxy.Port(), request), cached);
  EXPECT_TRUE(Get(Url(origin, "/moved")).starts_with(kNotInCache));
}

} // namespace
} // namespace ql::test
