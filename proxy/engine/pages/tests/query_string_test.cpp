#include "proxy/engine/pages/query_string.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(QueryString, DecodesPlusEscapesAndBadEscapes) {
  EXPECT_EQ(DecodeQueryString("a+b%41%62", 255), "a bAb");
  EXPECT_EQ(DecodeQueryString("%zz%4g!", 255), "  !");
  EXPECT_EQ(DecodeQueryString("%2541", 255), "%41");
  // A decoded "%" ends the decoding; a "+" after it still becomes a blank.
  EXPECT_EQ(DecodeQueryString("a%25b%41+%2541", 255), "a%b%41 %2541");
  EXPECT_EQ(DecodeQueryString("abcdef", 3), "abc");
  // A "%" near the end is kept, and nothing past the end is read.
  EXPECT_EQ(DecodeQueryString("x%", 255), "x%");
  EXPECT_EQ(DecodeQueryString("x%4", 255), "x%4");
}

TEST(QueryString, FindsKeysAfterAnAmpersandOnly) {
  const QByteArray query = "&xurl=no&url=a%2Fb+c&empty=&last=z";
  EXPECT_EQ(GetQueryParam("url", query), "a/b c");
  EXPECT_EQ(GetQueryParam("last", query), "z");
  EXPECT_TRUE(HasQueryParam("empty", query));
  EXPECT_TRUE(GetQueryParam("empty", query).isEmpty());
  EXPECT_FALSE(HasQueryParam("rl", query));
  EXPECT_EQ(GetQueryParam("long", "&long=" + QByteArray(300, 'x')).size(), 255);
  EXPECT_EQ(DecodeQueryString(EncodeQueryValue("a b&c=d+/\"<:%"), 255), "a b&c=d+/\"<:%");
  EXPECT_EQ(DecodeQueryString(EncodeQueryValue("50% off/all"), 255), "50% off/all");
}

TEST(QueryString, SizesInBytesAndKilobytes) {
  EXPECT_EQ(SizeToText(0), "0 bytes");
  EXPECT_EQ(SizeToText(1023), "1023 bytes");
  EXPECT_EQ(SizeToText(1024), "1.0 Kbytes");
  EXPECT_EQ(SizeToText(204800), "200.0 Kbytes");
  EXPECT_EQ(SizeToText(1536 + 52), "1.6 Kbytes");
  // Four significant digits: from 1000 Kbytes on, the decimal is always 0.
  EXPECT_EQ(SizeToText(1023999), "1000.0 Kbytes");
  EXPECT_EQ(SizeToText(1500000), "1465.0 Kbytes");
  EXPECT_EQ(SizeToText(20000000), "19530.0 Kbytes");
}

} // namespace
} // namespace ql
