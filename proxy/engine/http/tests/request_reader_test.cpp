#include "proxy/engine/http/request_reader.h"

#include "proxy/engine/http/http_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ql {
namespace {

TFeedResult FeedAll(TRequestReader &reader, const std::string &bytes) {
  return reader.Feed(bytes.data(), bytes.size());
}

TEST(RequestReaderTest, HeaderCompletesOnlyOnCrLfCrLfWhateverTheSplit) {
  const std::string request = "GET http://a.com/x HTTP/1.0\r\nUser-Agent: t\r\n\r\n";
  TRequestReader whole;
  EXPECT_EQ(FeedAll(whole, request), TFeedResult::kRequestComplete);
  EXPECT_EQ(whole.HeaderText(), request);

  TRequestReader bytewise;
  for (std::size_t i = 0; i + 1 < request.size(); ++i) {
    ASSERT_EQ(bytewise.Feed(&request[i], 1), TFeedResult::kWaiting) << i;
  }
  EXPECT_EQ(bytewise.Feed(&request.back(), 1), TFeedResult::kRequestComplete);
  EXPECT_EQ(bytewise.Header().method, TRequestMethod::kGet);
  EXPECT_EQ(bytewise.Header().userAgentLine, "User-Agent: t");
}

// What can never become a request is refused at once instead of waiting for the browser to
// give up: a header ended by bare line feeds, first bytes that begin no request line (a TLS
// handshake, for one), and a request line that ends without an HTTP version.
TEST(RequestReaderTest, HopelessBytesAreRefusedAtOnce) {
  for (const std::string &bytes : std::vector<std::string>{
           "GET / HTTP/1.0\n\n", "GET / HTTP/1.0\r\nX: y\n\n", "GET / HTTP/1.0\nX: y\n\r\n",
           std::string("\x16\x03\x01\x02\x00", 5), "GEX", "HEAD/", "GET /\r\n", "GET http://a.com/x\n",
           "POST http://a.com/x HTTP/\r\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, bytes), TFeedResult::kInvalid) << bytes;
  }
  TRequestReader bytewise;
  for (char c : std::string("Post http://a.com/x HTTP/1.1\r\nHost: a.com\r\n")) {
    ASSERT_EQ(bytewise.Feed(&c, 1), TFeedResult::kWaiting);
  }
}

// The method is the whole first word: a longer word that begins like one is another method, and
// it is refused as soon as its fifth byte shows it.
TEST(RequestReaderTest, MethodsAndTheInvalidAnswer) {
  const auto method = [](const std::string &line) {
    TRequestReader reader;
    const TFeedResult result = FeedAll(reader, line + "\r\n\r\n");
    return result == TFeedResult::kInvalid ? TRequestMethod::kNone : reader.Header().method;
  };
  EXPECT_EQ(method("GET / HTTP/1.0"), TRequestMethod::kGet);
  EXPECT_EQ(method("get / HTTP/1.0"), TRequestMethod::kGet);
  EXPECT_EQ(method("HEAD / HTTP/1.0"), TRequestMethod::kHead);
  EXPECT_EQ(method("Post / HTTP/1.0"), TRequestMethod::kPost);
  EXPECT_EQ(method("POSTX / HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("POSTAL http://a.com/ HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("GETTER / HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("HEADER / HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("GETX / HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("HEAD/ HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method("PUT / HTTP/1.0"), TRequestMethod::kNone);
  EXPECT_EQ(method(""), TRequestMethod::kNone);

  TRequestReader postal;
  EXPECT_EQ(FeedAll(postal, "POSTA"), TFeedResult::kInvalid);
  TRequestReader reader;
  EXPECT_EQ(FeedAll(reader, "CONNECT a:443 HTTP/1.1\r\n\r\nGET / HTTP/1.0\r\n\r\n"), TFeedResult::kInvalid);
  EXPECT_EQ(reader.Fault(), THeaderFault::kMalformed);
  EXPECT_EQ(FeedAll(reader, "GET / HTTP/1.0\r\n\r\n"), TFeedResult::kIgnored);
}

TEST(RequestReaderTest, FieldTableValuesAndLimits) {
  const std::string longValue(300, 'r');
  const std::string cookie(1000, 'c');
  TRequestReader reader;
  ASSERT_EQ(FeedAll(reader, "GET http://myhost:8080/ HTTP/1.1\r\n"
                            "referer:   http://r/" +
                                longValue +
                                "  \t\r\n"
                                "User-Agent: agent 1\r\n"
                                "Content-Type: text/plain\r\n"
                                "Authorization: Basic xyz\r\n"
                                "Cookie: " +
                                cookie +
                                "\r\n"
                                "Pragma: no-cache\r\n"
                                "User-Agent: second\r\n\r\n"),
            TFeedResult::kRequestComplete);
  const TRequestHeader &h = reader.Header();
  EXPECT_EQ(h.requestLine, "GET http://myhost:8080/");
  EXPECT_EQ(h.refererLine.size(), kShortTextLength);
  EXPECT_TRUE(h.refererLine.starts_with("Referer: http://r/rrr"));
  EXPECT_EQ(h.userAgentLine, "User-Agent: agent 1");
  EXPECT_EQ(h.contentTypeLine, "Content-type: text/plain");
  EXPECT_EQ(h.authorizationLine, "Authorization: Basic xyz");
  EXPECT_EQ(h.cookieLine, "Cookie: " + cookie);
  EXPECT_TRUE(h.noCache);
  EXPECT_FALSE(h.hasLength);
  // "host:" inside the request line is not a header field: no Host line was sent.
  EXPECT_EQ(h.hostLine, "");
  EXPECT_FALSE(h.conditional);
}

TEST(RequestReaderTest, IfModifiedSinceMakesTheRequestConditionalOnlyWhenItParses) {
  TRequestReader dated;
  FeedAll(dated, "GET / HTTP/1.0\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n");
  EXPECT_TRUE(dated.Header().conditional);
  EXPECT_EQ(dated.Header().ifModifiedSince, ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"));

  TRequestReader garbled;
  FeedAll(garbled, "GET / HTTP/1.0\r\nIf-Modified-Since: yesterday\r\n\r\n");
  EXPECT_FALSE(garbled.Header().conditional);
  EXPECT_EQ(garbled.Header().ifModifiedSince, kNoDate);
}

TEST(RequestReaderTest, PragmaNeedsTheExactLowerCaseValue) {
  const auto noCache = [](const std::string &field) {
    TRequestReader reader;
    FeedAll(reader, "GET / HTTP/1.0\r\n" + field + "\r\nHost: a\r\n\r\n");
    return reader.Header().noCache;
  };
  EXPECT_TRUE(noCache("pragma: no-cache"));
  EXPECT_TRUE(noCache("PRAGMA:no-cache  "));
  EXPECT_FALSE(noCache("Pragma: No-Cache"));
  EXPECT_FALSE(noCache("Pragma: no-cache, x"));
  EXPECT_FALSE(noCache("X-Pragma: no-cache"));
}

TEST(RequestReaderTest, PostBodiesByContentLength) {
  // Body bytes that arrive with the end of the header count, and an extra CR LF is ignored.
  TRequestReader together;
  EXPECT_EQ(FeedAll(together, "POST /f HTTP/1.0\r\nContent-Length: 7\r\n\r\na=1&b=2\r\n"),
            TFeedResult::kRequestComplete);
  EXPECT_EQ(together.Body(), "a=1&b=2");

  TRequestReader split;
  EXPECT_EQ(FeedAll(split, "POST /f HTTP/1.0\r\nContent-Length: 10\r\n\r\n012"), TFeedResult::kWaiting);
  EXPECT_EQ(split.Phase(), TReadPhase::kBody);
  EXPECT_EQ(FeedAll(split, "3456"), TFeedResult::kWaiting);
  EXPECT_EQ(FeedAll(split, "789tail"), TFeedResult::kRequestComplete);
  EXPECT_EQ(split.Body(), "0123456789");
  EXPECT_EQ(FeedAll(split, "more"), TFeedResult::kIgnored);
  EXPECT_EQ(split.TakeBody().Bytes(), "0123456789");

  for (const char *header : {"POST / HTTP/1.0\r\nContent-Length: 0\r\n\r\n", "POST / HTTP/1.0\r\n\r\n"}) {
    TRequestReader empty;
    EXPECT_EQ(FeedAll(empty, header), TFeedResult::kRequestComplete) << header;
    EXPECT_EQ(empty.Body(), "");
  }
}

TEST(RequestReaderTest, ContentLengthBoundsAndBodylessMethods) {
  const auto fault = [](const std::string &length) {
    TRequestReader reader;
    FeedAll(reader, "POST / HTTP/1.0\r\nContent-Length: " + length + "\r\n\r\n");
    return reader.Fault();
  };
  EXPECT_EQ(fault("16777216"), THeaderFault::kNone);
  EXPECT_EQ(fault("0016777216"), THeaderFault::kNone);
  EXPECT_EQ(fault("16777217"), THeaderFault::kBodyTooLarge);
  EXPECT_EQ(fault("4294967296"), THeaderFault::kBodyTooLarge);
  EXPECT_EQ(fault("99999999999999999999999999"), THeaderFault::kBodyTooLarge);
  // A POST body of unknown length can be neither read nor forwarded.
  EXPECT_EQ(fault("-1"), THeaderFault::kBadLength);
  EXPECT_EQ(fault("abc"), THeaderFault::kBadLength);

  // A GET announcing a body is complete at the end of its header and keeps no body bytes.
  TRequestReader get;
  EXPECT_EQ(FeedAll(get, "GET / HTTP/1.0\r\nContent-Length: 50\r\n\r\nxyz"), TFeedResult::kRequestComplete);
  EXPECT_TRUE(get.Header().hasLength);
  EXPECT_EQ(get.Header().contentLength, 50u);
  EXPECT_EQ(get.Body(), "");
}

// Only HTTP/1.0 and HTTP/1.1 are spoken: another version is refused (505) as soon as the request
// line ends. A line without a colon is no field (400).
TEST(RequestReaderTest, VersionsAndFieldLinesAreChecked) {
  for (const char *line : {"GET / HTTP/1.0\r\n\r\n", "GET / HTTP/1.1\r\n\r\n", "get / http/1.1\r\n\r\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, line), TFeedResult::kRequestComplete) << line;
  }
  for (const char *line :
       {"GET / HTTP/9.9\r\n", "GET / HTTP/0.9\r\n", "POST / HTTP/1.10\r\n", "GET / HTTP/2.0\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, line), TFeedResult::kInvalid) << line;
    EXPECT_EQ(reader.Fault(), THeaderFault::kBadVersion) << line;
  }
  EXPECT_STREQ(RefusalAnswer(THeaderFault::kBadVersion),
               "HTTP/1.0 505 HTTP Version Not Supported\r\nAllow: GET POST\r\n\r\n");
  for (const char *header :
       {"GET / HTTP/1.0\r\nHost a.com\r\n\r\n", "GET / HTTP/1.0\r\nX: y\r\nbare\r\n\r\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, header), TFeedResult::kInvalid) << header;
    EXPECT_EQ(reader.Fault(), THeaderFault::kMalformed) << header;
  }
  EXPECT_STREQ(RefusalAnswer(THeaderFault::kMalformed),
               "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n");
}

// A field name is read at the start of its line up to the colon: a blank before the colon (or a
// folded line) would let the origin read the field another way than the proxy, a body length
// among them, so the request is refused.
TEST(RequestReaderTest, ABlankInAFieldNameIsRefused) {
  for (const std::string &fields : std::vector<std::string>{
           "Content-Length : 3\r\n", "Content-Length\t: 3\r\n", "Transfer-Encoding : chunked\r\n",
           "Host : a.com\r\n", "X Y: z\r\n", "X: y\r\n  Content-Length: 3\r\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, "POST http://a.com/ HTTP/1.0\r\n" + fields + "\r\nabc"), TFeedResult::kInvalid)
        << fields;
    EXPECT_EQ(reader.Fault(), THeaderFault::kMalformed) << fields;
  }
  TRequestReader colonInValue;
  EXPECT_EQ(
      FeedAll(colonInValue, "POST http://a.com/ HTTP/1.0\r\nX-Note: a : b\r\nContent-Length: 3\r\n\r\nabc"),
      TFeedResult::kRequestComplete);
  EXPECT_EQ(colonInValue.Body(), "abc");
}

// A length that two readers could take two ways is refused: two Content-Lengths that differ, or
// a length beside Transfer-Encoding, or two Transfer-Encodings. The same length twice is one.
TEST(RequestReaderTest, AmbiguousLengthsAreRefused) {
  const auto fault = [](const std::string &fields) {
    TRequestReader reader;
    FeedAll(reader, "POST / HTTP/1.1\r\n" + fields + "\r\n");
    return reader.Fault();
  };
  EXPECT_EQ(fault("Content-Length: 3\r\nContent-Length: 300\r\n"), THeaderFault::kTwoLengths);
  EXPECT_EQ(fault("Content-Length: 3\r\nX: y\r\ncontent-length:3\r\n"), THeaderFault::kNone);
  EXPECT_EQ(fault("Content-Length: 3\r\nTransfer-Encoding: chunked\r\n"), THeaderFault::kTwoLengths);
  EXPECT_EQ(fault("Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n"), THeaderFault::kTwoLengths);
  // A coding other than chunked leaves the body's length unknown.
  EXPECT_EQ(fault("Transfer-Encoding: gzip\r\n"), THeaderFault::kLengthRequired);
  EXPECT_EQ(fault("Transfer-Encoding: gzip, chunked\r\n"), THeaderFault::kLengthRequired);
  EXPECT_STREQ(RefusalAnswer(THeaderFault::kLengthRequired),
               "HTTP/1.0 411 Length Required\r\nAllow: GET POST\r\n\r\n");
  TRequestReader get;
  EXPECT_EQ(FeedAll(get, "GET / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n"),
            TFeedResult::kInvalid);
}

// A chunked body is taken off its chunks wherever the pieces split it, and goes on with its
// length; badly formed chunks and a body over the limit are refused.
TEST(RequestReaderTest, ChunkedBodiesGoOnWithTheirLength) {
  const std::string header = "POST http://a.com/f HTTP/1.1\r\nTransfer-Encoding: Chunked\r\n\r\n";
  const std::string chunks = "3;name=value\r\nabc\r\n10 \r\n0123456789abcdef\r\n0\r\nX-Sum: 1\r\n\r\nafter";
  TRequestReader whole;
  EXPECT_EQ(FeedAll(whole, header + chunks), TFeedResult::kRequestComplete);
  EXPECT_EQ(whole.Body(), "abc0123456789abcdef");
  EXPECT_TRUE(whole.Header().hasLength);
  EXPECT_EQ(whole.Header().contentLength, 19u);
  TRequestReader bytewise;
  EXPECT_EQ(FeedAll(bytewise, header), TFeedResult::kWaiting);
  std::size_t completed = 0;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (bytewise.Feed(&chunks[i], 1) == TFeedResult::kRequestComplete) {
      completed = i;
    }
  }
  EXPECT_EQ(completed, chunks.find("after") - 1);
  EXPECT_EQ(bytewise.Body(), whole.Body());

  for (const std::string &bad : std::vector<std::string>{
           "3\r\nabcd\r\n0\r\n\r\n", "x\r\n", "\r\n", "3\nabc\r\n", "3\r\nabc\r\n0\r\nX\n", "-1\r\n",
           "3 4\r\n", std::string("3;\0\r\n", 5), std::string(2000, '0')}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, header + bad), TFeedResult::kInvalid) << bad;
    EXPECT_EQ(reader.Fault(), THeaderFault::kMalformed) << bad;
  }
  // The sizes are counted against the limit as they come, before any byte of the chunk.
  for (const std::string &large :
       std::vector<std::string>{"1000001\r\n", "800000\r\n" + std::string(0x800000, 'x') + "\r\n800001\r\n",
                                "ffffffffffffffffffff\r\n"}) {
    TRequestReader reader;
    EXPECT_EQ(FeedAll(reader, header + large), TFeedResult::kInvalid) << large.size();
    EXPECT_EQ(reader.Fault(), THeaderFault::kBodyTooLarge);
  }
  TRequestReader largest;
  EXPECT_EQ(FeedAll(largest, header + "1000000\r\n" + std::string(kMaxRequestBody, 'y') + "\r\n0\r\n\r\n"),
            TFeedResult::kRequestComplete);
  EXPECT_EQ(largest.Header().contentLength, kMaxRequestBody);
}

TEST(RequestReaderTest, HeaderRoomIsNeverOverrun) {
  const std::string start = "GET / HTTP/1.0\r\nX: ";
  const std::string end = "\r\n\r\n";
  TRequestReader fits;
  const std::string exact =
      start + std::string(TRequestReader::kHeaderRoom - start.size() - end.size(), 'x') + end;
  EXPECT_EQ(FeedAll(fits, exact), TFeedResult::kRequestComplete);

  TRequestReader tooLong;
  const std::string overlong = start + std::string(10000, 'x');
  EXPECT_EQ(FeedAll(tooLong, overlong), TFeedResult::kInvalid);
  EXPECT_EQ(tooLong.Fault(), THeaderFault::kHeaderTooLong);
  EXPECT_EQ(tooLong.HeaderText().size(), TRequestReader::kHeaderRoom);
}

TEST(RequestLineTest, FinalVersionTokenIsCutWhateverTheVersion) {
  EXPECT_EQ(CutHttpVersion("GET http://a.com/x HTTP/1.1"), "GET http://a.com/x");
  EXPECT_EQ(CutHttpVersion("GET http://a.com/x HTTP/1.0"), "GET http://a.com/x");
  EXPECT_EQ(CutHttpVersion("get http://a.com/x  http/2.0  "), "get http://a.com/x");
  EXPECT_EQ(CutHttpVersion("GET http://a.com/x"), "GET http://a.com/x");
  EXPECT_EQ(CutHttpVersion("GET /a%20HTTP/1.1"), "GET /a%20HTTP/1.1");
  EXPECT_EQ(CutHttpVersion("GET /x HTTP/one"), "GET /x HTTP/one");
  EXPECT_EQ(CutHttpVersion("GET /x HTTP/1."), "GET /x HTTP/1.");
}

// Bodies take their room in the budget as their header ends (a chunked one as its chunks come)
// and give it back when they go. A large body finds none once the large ones fill the bound less
// the room kept for small ones; a small one still does, and a large one again once room frees.
TEST(RequestReaderTest, BodiesTakeTheirRoomInABudget) {
  TBodyBudget budget(8 * 1024 * 1024);
  const std::size_t large = 1536 * 1024;
  const auto post = [](TRequestReader &reader, std::size_t length) {
    return FeedAll(reader,
                   "POST http://a.com/ HTTP/1.0\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n");
  };
  {
    TRequestReader first(&budget), second(&budget), third(&budget), small(&budget);
    EXPECT_EQ(post(first, large), TFeedResult::kWaiting);
    EXPECT_EQ(post(second, large), TFeedResult::kWaiting);
    EXPECT_EQ(post(third, large), TFeedResult::kInvalid);
    EXPECT_EQ(third.Fault(), THeaderFault::kNoRoom);
    EXPECT_STREQ(RefusalAnswer(THeaderFault::kNoRoom),
                 "HTTP/1.0 503 Service Unavailable\r\nAllow: GET POST\r\n\r\n");
    EXPECT_EQ(post(small, 1000), TFeedResult::kWaiting);
    EXPECT_EQ(budget.Held(), 2 * large + 1000);

    // The body handed on keeps its room; dropped, it gives it back.
    TRequestBody moved = first.TakeBody();
    EXPECT_EQ(budget.Held(), 2 * large + 1000);
    moved.Clear();
    TRequestReader again(&budget);
    EXPECT_EQ(post(again, large), TFeedResult::kWaiting);

    // A chunked body takes room as it grows, and is refused when it finds none.
    TRequestReader chunked(&budget);
    EXPECT_EQ(FeedAll(chunked, "POST http://a.com/ HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n"),
              TFeedResult::kWaiting);
    const std::string chunk = "100000\r\n" + std::string(0x100000, 'c') + "\r\n";
    TFeedResult result = TFeedResult::kWaiting;
    for (int i = 0; i < 8 && result == TFeedResult::kWaiting; ++i)
      result = FeedAll(chunked, chunk);
    EXPECT_EQ(result, TFeedResult::kInvalid);
    EXPECT_EQ(chunked.Fault(), THeaderFault::kNoRoom);
    EXPECT_TRUE(chunked.Body().empty());
  }
  EXPECT_EQ(budget.Held(), 0u);

  // The room of a chunked body covers the whole block that holds it, which grows by doubling.
  {
    TRequestReader chunked(&budget);
    FeedAll(chunked, "POST http://a.com/ HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n");
    const std::string chunk = "10000\r\n" + std::string(0x10000, 'c') + "\r\n";
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(FeedAll(chunked, chunk), TFeedResult::kWaiting);
    EXPECT_GE(budget.Held(), chunked.Body().capacity());
    EXPECT_LE(budget.Held(), 2 * (chunked.Body().size() + chunk.size()));
  }
  EXPECT_EQ(budget.Held(), 0u);
}

} // namespace
} // namespace ql
