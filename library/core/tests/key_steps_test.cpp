#include "library/core/key_steps.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(KeySteps, NumericStepsFallFromTenToExactlyZero) {
  InitNumericSteps(10, 0);
  EXPECT_DOUBLE_EQ(10, NextNumericStep());
  EXPECT_NEAR(9.898989, NextNumericStep(), 1e-6);
  double value = 0;
  for (int step = 3; step <= 99; ++step)
    value = NextNumericStep();
  EXPECT_NEAR(10.0 / 99, value, 1e-9);
  EXPECT_EQ(0.0, NextNumericStep()); // step 100 is the last value itself
}

TEST(KeySteps, TextStepsKeepTheCommonPrefixAndCountInLetters) {
  InitStringSteps("http://www.a.com", "http://www.z.com", 30);
  EXPECT_EQ("http://www.a.co", NextStringStep());
  // low = A.CO = 1*27^3 + 0 + 3*27 + 15 = 19779, high = Z.CO = 511854, step (high-low)/99 = 4970:
  // step 2 is 24749 = 1,6,25,17 in base 27.
  EXPECT_EQ("http://www.AFYQ", NextStringStep());
  QString previous = "http://www.AFYQ";
  for (int step = 3; step <= 99; ++step) {
    const QString value = NextStringStep();
    ASSERT_TRUE(value.startsWith("http://www.")) << step;
    ASSERT_GE(value, previous) << step; // the steps rise in key order
    previous = value;
  }
  EXPECT_EQ("http://www.z.co", NextStringStep());
}

TEST(KeySteps, ShortLastValueIsFilledWithTheLastLetter) {
  InitStringSteps("A", "B", 4);
  EXPECT_EQ("A   ", NextStringStep());
  // low = A000 = 19683, high = BZZZ = 59048, increment 397: step 2 = 20080 = 1,0,14,19.
  EXPECT_EQ("AANS", NextStringStep());
  for (int step = 3; step <= 99; ++step)
    NextStringStep();
  EXPECT_EQ("BZZZ", NextStringStep());
}

TEST(KeySteps, LowerCaseAndNonLettersCountAsTheirDigits) {
  InitStringSteps("ab-d", "AB-E", 4);
  // No common prefix ("a" and "A" differ as written); a=A, b=B, '-'=0.
  EXPECT_EQ("ab-d", NextStringStep());
  const QString second = NextStringStep();
  EXPECT_EQ(4, second.size());
  EXPECT_TRUE(second.startsWith("AB")) << second.toStdString();
}

} // namespace
} // namespace vx
