#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_parts.h"
#include "proxy/engine/http/url_split.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(RequestLine, HostPortAndPathOfAnAbsoluteRequest) {
  QByteArray line = "  GET http://WWW.A.COM:81/x HTTP/1.0\r\n";
  QByteArray host;
  UrlExtractHost(line, host);
  EXPECT_EQ(host, "www.a.com");
  EXPECT_EQ(line, ":81/x");
  EXPECT_EQ(UrlExtractPort(line), 81);
  EXPECT_EQ(line, "/x");
  EXPECT_EQ(UrlExtractPath(line), "/x");
}

TEST(RequestLine, HostlessAndRefusedRequests) {
  QByteArray line = "GET /x HTTP/1.0";
  QByteArray host;
  UrlExtractHost(line, host);
  EXPECT_EQ(host, "NONE");
  EXPECT_EQ(line, "/x");

  line = "GET ftp://a/b HTTP/1.0";
  UrlExtractHost(line, host);
  EXPECT_EQ(host, "NONE");
  EXPECT_EQ(line, "");
  EXPECT_EQ(UrlExtractPort(line), 80);
  EXPECT_EQ(UrlExtractPath(line), "/");
}

TEST(RequestLine, BackslashesHostWithoutPathAndBadPorts) {
  QByteArray line = "post http://a.b\\c\\d http/1.0";
  QByteArray host;
  UrlExtractHost(line, host);
  EXPECT_EQ(host, "a.b");
  EXPECT_EQ(line, "/c/d");

  line = "HEAD a.b";
  UrlExtractHost(line, host);
  EXPECT_EQ(host, "a.b");
  EXPECT_EQ(line, "");

  for (const char *text : {":x/p", ":70000/p", ":0/p", ":/p", ":-1/p"}) {
    line = text;
    EXPECT_EQ(UrlExtractPort(line), 80) << text;
    EXPECT_EQ(line, "/p") << text;
  }
  line = ":8080";
  EXPECT_EQ(UrlExtractPort(line), 8080);
  EXPECT_EQ(line, "");
}

TEST(RequestLine, NormalizeUrlDropsOnlyPort80) {
  EXPECT_EQ(NormalizeUrl("http://a.com:80/x"), "http://a.com/x");
  EXPECT_EQ(NormalizeUrl("HTTP://A.com"), "http://a.com/");
  EXPECT_EQ(NormalizeUrl("http://a.com:8080/x"), "http://a.com:8080/x");
}

TEST(UrlSplit, DiffersFromTheRequestSplitterWhereItShould) {
  QByteArray text = "ftp://a/b";
  QByteArray host;
  UrlSplitHost(text, host);
  EXPECT_EQ(host, "a");
  EXPECT_EQ(text, "/b");

  text = "news:comp.lang";
  UrlSplitHost(text, host);
  EXPECT_EQ(host, "NONE");
  EXPECT_EQ(text, "");

  text = "GET http://h.com\\p\\q xHTTP/1.0";
  UrlSplitHost(text, host);
  EXPECT_EQ(host, "h.com\\p\\q x");
  text = "GET http://h.com:8000/p\\q xHTTP/1.0";
  UrlSplitHost(text, host);
  EXPECT_EQ(host, "h.com");
  EXPECT_EQ(text, ":8000/p\\q x");
  EXPECT_EQ(UrlSplitPort(text), 8000);
  EXPECT_EQ(UrlSplitPath(text), "/p/q x");

  text = "http://h.com:99999";
  UrlSplitHost(text, host);
  EXPECT_EQ(UrlSplitPort(text), 80);
  EXPECT_EQ(UrlSplitPath(text), "/");
}

TEST(TextRoutines, TrimAndSafeFileName) {
  QByteArray text = QByteArray("\x01 \t a b \r\n", 10);
  TrimBlanks(text);
  EXPECT_EQ(text, "a b");
  text = " " + QByteArray(300, 'x');
  TrimBlanksStr(text);
  EXPECT_EQ(text.size(), kShortTextMax);

  EXPECT_EQ(SafeFileName("a.b.c/x?.html"), "abcx.html");
  EXPECT_EQ(SafeFileName("noext"), "noext");
  EXPECT_EQ(SafeFileName("~{a}(b)!#$%&'-@^_`.TXT"), "~{a}(b)!#$%&'-@^_`.TXT");
  EXPECT_EQ(SafeFileName(QByteArray("a\0b.\xe9z", 6)), "ab.z");
  EXPECT_EQ(SafeFileName(""), "");
}

TEST(UrlParts, TailsDirectoriesAndQueries) {
  EXPECT_EQ(UrlFileName("http://a/b/c.gif"), "c.gif");
  EXPECT_EQ(UrlTail("nofolder"), "nofolder");
  EXPECT_EQ(UrlFileNamePChar("http://a/b/"), "");
  EXPECT_EQ(UrlFileName("/" + QByteArray(400, 'n')).size(), kShortTextMax);
  EXPECT_EQ(UrlFileNamePChar("/" + QByteArray(400, 'n')).size(), 400);
  EXPECT_EQ(UrlDirectory("http://a/b/c.gif"), "http://a/b");
  EXPECT_EQ(UrlDirectory("c.gif"), "");
  EXPECT_EQ(StripQuery("/a?b?c"), "/a");
  EXPECT_EQ(StripQuery("/a"), "/a");
}

TEST(UrlParts, HostNamesAndDottedQuads) {
  EXPECT_TRUE(IsHostName("a1.com"));
  EXPECT_FALSE(IsHostName("10.0.0.1"));
  auto quad = ParseDottedQuad("192.168.0.255");
  ASSERT_TRUE(quad);
  EXPECT_EQ(*quad, (std::array<std::uint8_t, 4>{192, 168, 0, 255}));
  for (const char *bad : {"1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "1.2.3.4x", "", "0001.2.3.4"})
    EXPECT_FALSE(ParseDottedQuad(bad)) << bad;
}

} // namespace
} // namespace ql
