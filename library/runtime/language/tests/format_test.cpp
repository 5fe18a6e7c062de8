#include "library/runtime/language/date_time.h"
#include "library/runtime/language/format.h"

#include <gtest/gtest.h>
#include <limits>

namespace vx {
namespace {

TEST(DateTimeTest, DayNumbersAndClockValues) {
  EXPECT_EQ(DayNumber(QDate(1801, 1, 1)), 4);
  EXPECT_EQ(DateOfDay(4), QDate(1801, 1, 1));
  EXPECT_EQ(DateOfDay(DayNumber(QDate(2026, 12, 8))), QDate(2026, 12, 8));
  EXPECT_EQ(DayNumber(QDate(2000, 3, 1)) - DayNumber(QDate(2000, 2, 28)), 2);
  EXPECT_FALSE(DateOfDay(0).isValid());
  EXPECT_EQ(DayNumber(QDate()), 0);

  EXPECT_EQ(ClockValue(QTime(0, 0)), 1);
  EXPECT_EQ(ClockValue(QTime(23, 59, 59, 990)), 8640000);
  EXPECT_EQ(TimeOfClock(ClockValue(QTime(17, 30, 5, 120))), QTime(17, 30, 5, 120));
  EXPECT_FALSE(TimeOfClock(0).isValid());
  EXPECT_FALSE(TimeOfClock(8640001).isValid());

  const int before = DayNumber(QDate::currentDate());
  const int today = TODAY();
  EXPECT_TRUE(today == before || today == before + 1);
  EXPECT_GE(CLOCK(), 1);
  EXPECT_LE(CLOCK(), 8640000);
}

TEST(FormatTest, NumberPictures) {
  EXPECT_EQ(FORMAT(7, "N3"), "  7");
  EXPECT_EQ(FORMAT(100, "@N3"), "100");
  EXPECT_EQ(FORMAT(1000, "N3"), "###");
  EXPECT_EQ(FORMAT(7, "n03"), "007");
  EXPECT_EQ(FORMAT(0, "n03"), "000");
  EXPECT_EQ(FORMAT(-7, "n03"), "-07");
  EXPECT_EQ(FORMAT(-7, "N2"), "-7");
  EXPECT_EQ(FORMAT(-70, "N2"), "##");
  EXPECT_EQ(FORMAT(std::numeric_limits<qint64>::min(), "N3"), "###");
  EXPECT_EQ(FORMAT("42", "N3"), " 42");
}

TEST(FormatTest, DateAndTimePictures) {
  const int day = DayNumber(QDate(1959, 10, 31));
  EXPECT_EQ(FORMAT(day, "d3"), "OCT 31,1959");
  EXPECT_EQ(FORMAT(day, "@D4"), "October 31, 1959");
  EXPECT_EQ(FORMAT(DayNumber(QDate(2026, 5, 3)), "d4"), "May 3, 2026");
  EXPECT_EQ(FORMAT(0, "d3"), "");

  EXPECT_EQ(FORMAT(ClockValue(QTime(17, 30)), "t3"), "5:30PM");
  EXPECT_EQ(FORMAT(ClockValue(QTime(0, 5)), "t3"), "12:05AM");
  EXPECT_EQ(FORMAT(ClockValue(QTime(12, 0)), "T3"), "12:00PM");
  EXPECT_EQ(FORMAT(0, "t3"), "");
}

TEST(FormatTest, TextAndPatternPictures) {
  EXPECT_EQ(FORMAT("Category name", "s8"), "Category");
  EXPECT_EQ(FORMAT("abc", "@S5"), "abc  ");
  EXPECT_EQ(FORMAT(7, "pPage <<<#p"), "Page 7");
  EXPECT_EQ(FORMAT(1234, "pPage <<<#p"), "Page 1234");
  EXPECT_EQ(FORMAT(12345, "pPage <<<#p"), "Page ####");
  EXPECT_EQ(FORMAT(5, "p##-##p"), "00-05");
  EXPECT_EQ(FORMAT(12, "X9"), "12");
  EXPECT_EQ(FORMAT("as is", "X9"), "as is");
  EXPECT_EQ(FORMAT("as is", ""), "as is");
}

} // namespace
} // namespace vx
