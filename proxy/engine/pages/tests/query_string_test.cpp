#include "proxy/engine/pages/query_string.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(QueryString, DecodesPlusEscapesAndBadEscapes) {
  EXPECT_EQ(DecodeQueryString("a+b%41%62", 255), "a bAb");
  EXPECT_EQ(DecodeQueryString("%zz%4g!", 255), "  !");
  EXPECT_EQ(DecodeQueryString("%2541", 255), "%41");
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
  EXPECT_EQ(DecodeQueryString(EncodeQueryValue("a b&c=d%/\"<"), 255), "a b&c=d%/\"<");
}

TEST(QueryString, SizesInBytesAndKilobytes) {
  EXPECT_EQ(SizeToText(0), "0 bytes");
  EXPECT_EQ(SizeToText(1023), "1023 bytes");
  EXPECT_EQ(SizeToText(1024), "1.0 Kbytes");
  EXPECT_EQ(SizeToText(204800), "200.0 Kbytes");
  EXPECT_EQ(SizeToText(1536 + 52), "1.6 Kbytes");
}

} // namespace
} // namespace ql
