// The real program against browsers' requests that the cache and the origin must tell apart:
// POSTs beside GETs of the same URL, chunked POST bodies, and browsers that end their sending
// side once the request is out.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kNotInCache = "HTTP/1.0 404 Not in Cache\r\n";

// An origin that answers each request with the request it got, dated so that a whole answer is
// served from the cache for the rest of the run.
OriginReply Echo(const std::string &request) {
  return OriginReply{HttpResponse("200 OK", "text/plain", request, kModified)};
}

std::string Post(int port, const std::string &url, const std::string &data, bool withLength = true) {
  const std::string length = withLength ? "Content-Length: " + std::to_string(data.size()) + "\r\n" : "";
  return Exchange(port, "POST " + url + " HTTP/1.0\r\n" + length + "\r\n" + data);
}

// The body of an answer from the echo origin: the request the origin got.
std::string Echoed(const std::string &answer) {
  const std::size_t end = answer.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : answer.substr(end + 4);
}

// Sends the request, ends the sending side as an HTTP/1.0 browser may, and reads the answer.
std::string HalfClosedExchange(int port, const std::string &request) {
  const int fd = ConnectLoopback(port);
  if (fd < 0)
    return {};
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  return ReadUntilClosed(fd, 65536);
}

// A cache entry stands for its method and POST data together. On-line a POST always reaches the
// origin and a GET never gets a POST's answer; off-line, after a restart, each is answered from
// its own entry. POST data that the cache files cannot hold is relayed and not stored, and no
// body file is left that the saved index does not list.
TEST_F(ProxyRoadTest, AnEntryStandsForItsMethodAndPostData) {
  ScriptedOrigin origin(Echo);
  StartProxy();
  const int port = proxy.Port();
  const std::string url = Url(origin, "/echo?p1");
  const std::string large(5000, 'L');

  EXPECT_TRUE(Echoed(Post(port, url, "body=A")).starts_with("POST /echo?p1 HTTP/1.0\r\n"));
  EXPECT_TRUE(Echoed(Get(url)).starts_with("GET /echo?p1 HTTP/1.0\r\n"));
  EXPECT_EQ(origin.RequestCount(), 2u);
  EXPECT_TRUE(Echoed(Post(port, url, "body=A")).starts_with("POST "));
  EXPECT_TRUE(Echoed(Post(port, url, "", false)).starts_with("POST "));
  EXPECT_EQ(origin.RequestCount(), 4u);
  // The GET's own answer, now from the cache.
  EXPECT_TRUE(Echoed(Get(url)).starts_with("GET /echo?p1 HTTP/1.0\r\n"));
  EXPECT_EQ(origin.RequestCount(), 4u);
  EXPECT_NE(Echoed(Post(port, url, large)).find(large), std::string::npos);
  EXPECT_EQ(origin.RequestCount(), 5u);

  ASSERT_TRUE(WaitFor([&] { return NoDownloadLeft(proxy.TempDir()); }));
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  const std::string posted = Echoed(Post(port, url, "body=A"));
  EXPECT_TRUE(posted.starts_with("POST ") && posted.find("body=A") != std::string::npos) << posted;
  EXPECT_TRUE(Echoed(Get(url)).starts_with("GET /echo?p1 HTTP/1.0\r\n"));
  EXPECT_TRUE(Post(port, url, "body=B").starts_with(kNotInCache));
  EXPECT_TRUE(Post(port, url, large).starts_with(kNotInCache));
  EXPECT_TRUE(Post(port, url, "", false).starts_with(kNotInCache));
  EXPECT_EQ(origin.RequestCount(), 5u);
  proxy.Stop();
  EXPECT_EQ(Files(proxy.DataDir(), "*.ADL").size(), 2u)
      << Files(proxy.DataDir(), "*.ADL").join(' ').toStdString();
}

// A chunked POST body reaches the origin taken off its chunks, with its length; a body whose
// length cannot be learned, or could be read two ways, never reaches it.
TEST_F(ProxyRoadTest, AChunkedPostReachesTheOriginWithItsLength) {
  ScriptedOrigin origin(Echo);
  StartProxy();
  const std::string start = "POST " + Url(origin, "/echo?c1") + " HTTP/1.1\r\nHost: origin.test\r\n";
  const std::string answer =
      Exchange(proxy.Port(), start + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4\r\ndefg\r\n0\r\n\r\n");
  EXPECT_TRUE(answer.starts_with("HTTP/1.0 200 OK\r\n")) << answer.substr(0, 40);
  ASSERT_EQ(origin.RequestCount(), 1u);
  EXPECT_TRUE(origin.Requests()[0].starts_with("POST /echo?c1 HTTP/1.0\r\n"));
  EXPECT_NE(origin.Requests()[0].find("Content-length: 7\r\n\r\nabcdefg"), std::string::npos)
      << origin.Requests()[0];

  EXPECT_TRUE(Exchange(proxy.Port(), start + "Transfer-Encoding: gzip\r\n\r\nxyz")
                  .starts_with("HTTP/1.0 411 Length Required\r\n"));
  EXPECT_TRUE(Exchange(proxy.Port(),
                       start + "Transfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n3\r\nabc\r\n0\r\n\r\n")
                  .starts_with("HTTP/1.0 400 Invalid request\r\n"));
  EXPECT_TRUE(Exchange(proxy.Port(), start + "Transfer-Encoding: chunked\r\n\r\n3\r\nabcdef\r\n")
                  .starts_with("HTTP/1.0 400 Invalid request\r\n"));
  EXPECT_EQ(origin.RequestCount(), 1u);
}

// A browser that ends its sending side after its request gets the whole answer: a miss, a POST
// (carried out once) and a hit alike, also when the origin takes its time.
TEST_F(ProxyRoadTest, ABrowserThatEndsItsSendingSideGetsItsAnswer) {
  ScriptedOrigin origin([](const std::string &request) {
    OriginReply reply = Echo(request);
    reply.chunkSize = 20;
    reply.pause = 30ms;
    return reply;
  });
  StartProxy();
  const std::string get = "GET " + Url(origin, "/half") + " HTTP/1.0\r\n\r\n";
  const std::string miss = HalfClosedExchange(proxy.Port(), get);
  EXPECT_TRUE(Echoed(miss).starts_with("GET /half HTTP/1.0\r\n")) << miss;
  EXPECT_EQ(miss, HttpResponse("200 OK", "text/plain", Echoed(miss), kModified));
  const std::string post = HalfClosedExchange(
      proxy.Port(), "POST " + Url(origin, "/half") + " HTTP/1.0\r\nContent-Length: 6\r\n\r\nbody=A");
  EXPECT_TRUE(Echoed(post).starts_with("POST /half HTTP/1.0\r\n")) << post;
  EXPECT_TRUE(post.ends_with("body=A") || post.ends_with("body=A\r\n")) << post;
  EXPECT_EQ(origin.RequestCount(), 2u);
  EXPECT_EQ(Echoed(HalfClosedExchange(proxy.Port(), get)), Echoed(miss));
  EXPECT_EQ(origin.RequestCount(), 2u);
}

} // namespace
} // namespace ql::test
