#include "library/core/control_scaling.h"
#include "library/core/update_vornix.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(ProposeKeyword, TakesTheSchemeOrMailtoOrAQuestionMark) {
  EXPECT_EQ("http", ProposeKeyword("http://example.org/"));
  EXPECT_EQ("ftp", ProposeKeyword("ftp://a/b://c"));
  EXPECT_EQ("", ProposeKeyword("://nothing-before"));
  EXPECT_EQ("abcdefghij", ProposeKeyword("abcdefghijklmn://long"));
  EXPECT_EQ("mailto:", ProposeKeyword("mailto:someone@example.org"));
  EXPECT_EQ("mailto", ProposeKeyword("mailto://odd")); // "://" wins over "mailto:"
  EXPECT_EQ("?", ProposeKeyword("comp.lang.c"));
  EXPECT_EQ("?", ProposeKeyword("MAILTO:upper@example.org"));
}

TEST(ScaledControl, TwelveDigitsRoundTripAndBadPartsReadZero) {
  EXPECT_EQ("000250999012", FormatScaledControl({0, 250, 999, 12}));
  EXPECT_EQ("999000000000", FormatScaledControl({1000, -3, 0, 0})); // kept to three digits
  EXPECT_EQ((std::array<int, 4>{10, 20, 30, 40}), ParseScaledControl("010020030040"));
  EXPECT_EQ((std::array<int, 4>{10, 0, 30, 0}), ParseScaledControl("010xx0030"));
  EXPECT_EQ((std::array<int, 4>{}), ParseScaledControl(""));
}

} // namespace
} // namespace vx
