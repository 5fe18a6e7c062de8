#include "proxy/engine/http/dates.h"
#include "proxy/engine/http/http_date.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace ql {
namespace {

TEST(DayNumber, ZeroStaysZeroOtherValuesShift) {
  TDateTime date = 0.0;
  DateTimeToDayNumber(date);
  EXPECT_EQ(date, 0.0);
  DayNumberToDateTime(date);
  EXPECT_EQ(date, 0.0);

  date = 1.5;
  DateTimeToDayNumber(date);
  EXPECT_EQ(date, 693595.5);
  DayNumberToDateTime(date);
  EXPECT_EQ(date, 1.5);

  date = kNoDate;
  DateTimeToDayNumber(date);
  EXPECT_EQ(date, 693593.0);
}

// Every whole second of a day must come back as itself: truncating the float product
// would turn many of them into the second before.
TEST(Calendar, WholeSecondsSurviveTheRoundTrip) {
  QDate day(2026, 12, 8);
  for (int second = 0; second < 86400; ++second) {
    QTime time = QTime(0, 0).addSecs(second);
    QDateTime back = DateTimeToCalendar(CalendarToDateTime(day, time));
    ASSERT_EQ(back.date(), day) << second;
    ASSERT_EQ(back.time(), time) << second;
  }
}

TEST(Calendar, FractionJustBelowMidnightRoundsIntoTheNextDay) {
  QDateTime next = DateTimeToCalendar(1.0 - 1e-10);
  EXPECT_EQ(next.date(), QDate(1899, 12, 31));
  EXPECT_EQ(next.time(), QTime(0, 0));
}

TEST(Calendar, DaysBeforeTheEpochCountBackWithTheTimeForward) {
  QDateTime date = DateTimeToCalendar(-1.25);
  EXPECT_EQ(date.date(), QDate(1899, 12, 29));
  EXPECT_EQ(date.time(), QTime(6, 0));
  EXPECT_EQ(CalendarToDateTime(QDate(1899, 12, 29), QTime(6, 0)), -1.25);
}

TEST(Calendar, OutOfRangeValuesAreInvalid) {
  EXPECT_FALSE(DateTimeToCalendar(1e12).isValid());
  EXPECT_FALSE(DateTimeToCalendar(-1e12).isValid());
  EXPECT_FALSE(DateTimeToCalendar(std::numeric_limits<double>::quiet_NaN()).isValid());
  EXPECT_TRUE(DateTimeToCalendar(2958465.5).isValid()); // 31 December 9999, noon
}

// Now is the local date and time, as the calendar of the local zone gives it.
TEST(Calendar, NowIsTheLocalTime) {
  const QDateTime local = QDateTime::currentDateTime();
  const TDateTime now = Now();
  EXPECT_NEAR(now, CalendarToDateTime(local.date(), local.time()), 2.0 / 86400);
}

TEST(FilterDate, AgesInHoursDaysAndWeeks) {
  const TDateTime now = 46000.5;
  EXPECT_DOUBLE_EQ(ParseFilterDate("3 w", now), now - 21);
  EXPECT_DOUBLE_EQ(ParseFilterDate("2h", now), now - 1.0 / 12);
  EXPECT_DOUBLE_EQ(ParseFilterDate("12  D", now), now - 12);
  EXPECT_EQ(ParseFilterDate("x", now), 0);
  EXPECT_EQ(ParseFilterDate("d", now), 0);
  // "h" is looked for before "d": in "5d 2h" the number read is the 2 before the "h".
  EXPECT_DOUBLE_EQ(ParseFilterDate("5d 2h", now), now - 2.0 / 24);
  EXPECT_TRUE(IsRelativeDate("3 W"));
  EXPECT_FALSE(IsRelativeDate("1/2/97"));
}

TEST(HttpDate, TheThreeFormsGiveTheSameValue) {
  TDateTime rfc1123 = ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(rfc1123, CalendarToDateTime(QDate(1994, 11, 6), QTime(8, 49, 37)));
  EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), rfc1123);
  EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), rfc1123);
  EXPECT_EQ(ParseHttpDate("   sun, 06 NOV 1994 08:49:37 gmt"), rfc1123);
}

TEST(HttpDate, BadTextsGiveNoDate) {
  EXPECT_EQ(ParseHttpDate("06 Nov 1994"), kNoDate); // "06" is taken as the weekday
  EXPECT_EQ(ParseHttpDate(""), kNoDate);
  EXPECT_EQ(ParseHttpDate("   "), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sunday"), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sun, 31 Feb 1994 08:49:37 GMT"), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 24:00:00 GMT"), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sun, 06 Xyz 1994 08:49:37 GMT"), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sun, +6 Nov 1994 08:49:37 GMT"), kNoDate);
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 99999999999 08:49:37 GMT"), kNoDate);
}

TEST(HttpDate, TwoDigitYearsAndShortTimes) {
  EXPECT_EQ(ParseHttpDate("Tuesday, 01-Jan-49 00:00:00 GMT"),
            CalendarToDateTime(QDate(2049, 1, 1), QTime(0, 0)));
  EXPECT_EQ(ParseHttpDate("Friday, 01-Jan-50 00:00:00 GMT"),
            CalendarToDateTime(QDate(1950, 1, 1), QTime(0, 0)));
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49: GMT"),
            CalendarToDateTime(QDate(1994, 11, 6), QTime(8, 49)));
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994"), CalendarToDateTime(QDate(1994, 11, 6), QTime(0, 0)));
}

TEST(HttpDate, MonthNamesBySumOfSecondAndThirdLetter) {
  const char *names[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  for (int month = 1; month <= 12; ++month)
    EXPECT_EQ(MonthFromName(names[month - 1]), month);
  EXPECT_EQ(MonthFromName("november"), 11);
  EXPECT_EQ(MonthFromName("xyz"), 0);
  EXPECT_EQ(MonthFromName("ma"), 0);
}

TEST(HttpDate, FormatUsesEnglishNamesAndRoundsToTheSecond) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  TDateTime date = CalendarToDateTime(QDate(1994, 11, 6), QTime(8, 49, 37));
  EXPECT_EQ(FormatHttpDate(date), "Sun, 06 Nov 1994 08:49:37 GMT");
  // A hair below the second still shows that second.
  EXPECT_EQ(FormatHttpDate(date - 1e-9), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(ParseHttpDate(FormatHttpDate(date)), date);
  EXPECT_EQ(FormatHttpDate(kNoDate), "");
  EXPECT_EQ(FormatHttpDate(1e12), "");
  QLocale::setDefault(QLocale::c());
}

} // namespace
} // namespace ql
