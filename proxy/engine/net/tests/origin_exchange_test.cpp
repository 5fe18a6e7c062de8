#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/http/http_date.h"
#include "proxy/engine/http/response_reader.h"
#include "proxy/engine/net/origin_request.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(ResponseHeader, FieldsAreFoundWithoutRegardToCase) {
  TMimeTable mimes;
  const TResponseFacts facts =
      ParseResponseHeader("HTTP/1.0 302 Found\r\nCONTENT-LENGTH:  12 \r\nLocation: http://a.com/b\r\n"
                          "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\ncontent-type: Text/HTML\r\n\r\n",
                          mimes);
  EXPECT_EQ(facts.Status, 302);
  EXPECT_EQ(facts.ContentLength, 12);
  EXPECT_EQ(facts.Location, "http://a.com/b");
  EXPECT_NE(facts.LastModified, kNoDate);
  EXPECT_EQ(facts.MimeIndex, 1);
  const TResponseFacts bare = ParseResponseHeader("HTTP/1.1 abc\r\nContent-Length: x\r\n\r\n", mimes);
  EXPECT_EQ(bare.Status, 0);
  EXPECT_EQ(bare.ContentLength, 0);
  EXPECT_EQ(bare.LastModified, kNoDate);
  EXPECT_EQ(bare.MimeIndex, 0);
}

// A status is three digits after "HTTP/" and a version, followed by a blank or the line's end.
// Two lengths that differ make an answer unreadable; the same length twice is one, and a blank
// before the colon is dropped from the name, as a lenient reader takes it.
TEST(ResponseHeader, StatusLinesAndLengthsAreReadStrictly) {
  EXPECT_EQ(ParseStatusLine("HTTP/1.0 200 OK"), 200);
  EXPECT_EQ(ParseStatusLine("http/1.1 404 Not Found\r"), 404);
  EXPECT_EQ(ParseStatusLine("HTTP/1.0 304"), 304);
  for (const char *line :
       {"HTTP/1.0 2000 OK", "HTTP/1.0 20 OK", "HTTP/1.0 200OK", "HTTP/1.0 099 Low", "HTTP/1.0  200 OK",
        "HTTP/x 200 OK", "HTTP/1. 200 OK", "XTTP/1.0 200 OK", "200 OK", ""})
    EXPECT_EQ(ParseStatusLine(line), 0) << line;
  TMimeTable mimes;
  const auto readable = [&](const QByteArray &header) {
    return ParseResponseHeader(header, mimes).Readable();
  };
  EXPECT_FALSE(readable("HTTP/1.0 2000 OK\r\nContent-Length: 4\r\n\r\n"));
  EXPECT_FALSE(readable("HTTP/1.0 200 OK\r\nContent-Length: 20\r\nContent-Length: 5\r\n\r\n"));
  EXPECT_TRUE(readable("HTTP/1.0 200 OK\r\nContent-Length: 5\r\ncontent-length:5\r\n\r\n"));
  EXPECT_EQ(ParseResponseHeader("HTTP/1.0 200 OK\r\nContent-Length : 7\r\n\r\n", mimes).ContentLength, 7);
}

TEST(ResponseReader, SplitsHeaderFromBodyAcrossPieces) {
  TResponseReader reader;
  const QByteArray first = "HTTP/1.0 200 OK\r\nContent-Length: 4\r";
  TResponseReader::TStep step = reader.Feed(first.constData(), first.size());
  EXPECT_FALSE(step.headerEnded);
  const QByteArray second = "\n\r\nbody";
  step = reader.Feed(second.constData(), second.size());
  EXPECT_TRUE(step.headerEnded);
  EXPECT_FALSE(step.noHeader);
  EXPECT_EQ(second.mid(step.bodyOffset), "body");
  EXPECT_EQ(reader.HeaderText(), "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n");
  EXPECT_FALSE(reader.InHeader());
}

TEST(ResponseReader, LineFeedOnlyHeaderEnds) {
  TResponseReader reader;
  const QByteArray text = "HTTP/1.0 200 OK\nX: y\n\nrest";
  const TResponseReader::TStep step = reader.Feed(text.constData(), text.size());
  EXPECT_TRUE(step.headerEnded);
  EXPECT_EQ(text.mid(step.bodyOffset), "rest");
}

TEST(ResponseReader, NoBlankLineWithinTheHeaderLimitMeansNoHeader) {
  TResponseReader reader;
  const QByteArray text(TResponseReader::kMaxHeader + 1000, 'a');
  const TResponseReader::TStep step = reader.Feed(text.constData(), text.size());
  EXPECT_TRUE(step.headerEnded);
  EXPECT_TRUE(step.noHeader);
  EXPECT_EQ(reader.HeaderText().size(), TResponseReader::kMaxHeader + 1);
  EXPECT_EQ(step.bodyOffset, TResponseReader::kMaxHeader + 1);
}

TEST(OriginRequest, LinesInTheirOrder) {
  TRequestHeader browser;
  browser.refererLine = "Referer: http://r.com/";
  browser.userAgentLine = "User-Agent: Test/1";
  browser.hostLine = "Host: a.com";
  browser.cookieLine = "Cookie: c=1";
  browser.contentTypeLine = "Content-type: application/x-www-form-urlencoded";
  browser.noCache = true;
  browser.hasLength = true;
  browser.contentLength = 3;
  TOriginRequestFacts facts;
  facts.Method = TRequestMethod::kPost;
  facts.Host = "a.com";
  facts.Port = 8080;
  facts.Path = "/f";
  facts.CachedLastModified = ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT");
  facts.Browser = &browser;
  EXPECT_EQ(
      BuildOriginRequest(facts),
      "POST /f HTTP/1.0\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\nReferer: http://r.com/\r\n"
      "User-Agent: Test/1 via <A HREF=http://www.quenlark.invalid/><IMG "
      "SRC=http://www.quenlark.invalid/images/logo.gif WIDTH=74 HEIGHT=15 BORDER=0></A>\r\n"
      "Pragma: no-cache\r\nHost: a.com:8080\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
      "*/*\r\nCookie: c=1\r\nContent-type: application/x-www-form-urlencoded\r\nContent-length: 3\r\n\r\n");
  facts.UseUpstreamProxy = true;
  facts.CachedLastModified = kNoDate;
  facts.Browser = nullptr;
  facts.Method = TRequestMethod::kGet;
  EXPECT_EQ(BuildOriginRequest(facts),
            "GET http://a.com:8080/f HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n\r\n");
}

} // namespace
} // namespace ql
