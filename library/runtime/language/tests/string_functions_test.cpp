#include "library/runtime/language/runtime_upper.h"
#include "library/runtime/language/string_functions.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(StringFunctionsTest, ClipLeftAndLen) {
  EXPECT_EQ(CLIP("  http://x/  "), "  http://x/");
  EXPECT_EQ(LEFT("  <DD>info  "), "<DD>info  ");
  EXPECT_EQ(CLIP("   "), "");
  EXPECT_EQ(LEFT(""), "");
  EXPECT_EQ(CLIP("tab\t"), "tab\t"); // only blanks are dropped
  EXPECT_EQ(LEN("Export"), 6);
}

TEST(StringFunctionsTest, SubTakesWhatLiesInsideTheText) {
  EXPECT_EQ(SUB("<DD>site info", 5, 9), "site info");
  EXPECT_EQ(SUB("abc", 2, 100), "bc");
  EXPECT_EQ(SUB("abc", 4, 1), "");
  EXPECT_EQ(SUB("abc", -1, 1), "c");
  EXPECT_EQ(SUB("abc", -5, 3), "a");
  EXPECT_EQ(SUB("abc", 0, 2), "");
  EXPECT_EQ(SUB("abc", 1, 0), "");
  EXPECT_EQ(SUB("abc", 2147483647, 2147483647), "");
}

TEST(StringFunctionsTest, InstringFindsPositionsAndSteps) {
  const QString line = "catalog log";
  EXPECT_EQ(INSTRING("log", line), 5);
  EXPECT_EQ(INSTRING("log", line, 1, 6), 9);
  EXPECT_EQ(INSTRING("none", line), 0);
  EXPECT_EQ(INSTRING("", line), 0);
  EXPECT_EQ(INSTRING("log", line, 1, 0), 0);
  EXPECT_EQ(INSTRING("line", "line"), 1);
  EXPECT_EQ(INSTRING("linex", "line"), 0);
  // Step numbers: "cd" is the second two-character step of "abcdef"; "bc" is no step.
  EXPECT_EQ(INSTRING("cd", "abcdef", 2), 2);
  EXPECT_EQ(INSTRING("bc", "abcdef", 2), 0);
}

TEST(StringFunctionsTest, CaseFollowsTheRuntimeRule) {
  EXPECT_EQ(UPPER("href <H3> news"), "HREF <H3> NEWS");
  EXPECT_EQ(LOWER("A HREF=\"HTTP://X/\""), "a href=\"http://x/\"");
  EXPECT_EQ(UPPER(QString::fromUtf8("caf\xc3\xa9 \xc3\xb7 \xc3\x9f \xc3\xbf")),
            QString::fromUtf8("CAF\xc3\x89 \xc3\xb7 \xc3\x9f \xc3\xbf"));
  EXPECT_EQ(LOWER(QString::fromUtf8("\xc3\x80\xc3\x97\xc3\x9e")),
            QString::fromUtf8("\xc3\xa0\xc3\x97\xc3\xbe"));
  EXPECT_EQ(UPPER(QString::fromUtf8("\xd0\xb4")), QString::fromUtf8("\xd0\xb4")); // beyond Latin-1: unchanged
  for (char16_t u = 0; u < 0x100; ++u)
    EXPECT_EQ(RuntimeUpper(RuntimeLower(RuntimeUpper(QChar(u)))), RuntimeUpper(QChar(u))) << int(u);
}

} // namespace
} // namespace vx
