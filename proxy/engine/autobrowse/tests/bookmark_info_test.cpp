#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/http/day_of_week.h"

#include <QDate>
#include <gtest/gtest.h>

namespace ql {
namespace {

TDateTime Day(int y, int m, int d) {
  return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

// 7 December 2026 is a Monday.
constexpr int kMonday = 7;

TBMInfo Weekly(int weekday, int weeks) {
  TBMInfo info(Day(2026, 12, kMonday));
  info.Scheduled = 1;
  info.IntervalKind = EveryNWeeks;
  info.Weekday = weekday;
  info.Weeks = weeks;
  return info;
}

TEST(BookmarkInfo, NewRecordHasDefaults) {
  DefaultItemSizeLimit = 123456;
  const int32_t serial = NextBMSerial;
  TBMInfo info(Day(2026, 12, kMonday) + 0.75);
  TBMInfo second(Day(2026, 12, kMonday));
  EXPECT_EQ(info.TimeLimit, 3600000);
  EXPECT_EQ(info.SizeLimit, 5242880);
  EXPECT_EQ(info.Depth, 1);
  EXPECT_EQ(info.InlineImages, 1);
  EXPECT_EQ(info.Java, 1);
  EXPECT_EQ(info.EmbeddedFiles, 1);
  EXPECT_EQ(info.Weekday, 1);
  EXPECT_EQ(info.MaxItemSize, 123456);
  EXPECT_EQ(info.SerialId, serial);
  EXPECT_EQ(second.SerialId, serial + 1);
  EXPECT_TRUE(info.URL.isNull());
  EXPECT_EQ(DayOfWeek(Day(1899, 12, 30)), 6);
  EXPECT_EQ(DayOfWeek(Day(1899, 12, 24)), 0);
}

TEST(BookmarkInfo, WeeklyScheduleFindsTheNextTargetDay) {
  TBMInfo info = Weekly(3, 1);
  info.CalcNextRefresh(Day(2026, 12, kMonday) + 0.4);
  EXPECT_EQ(info.NextRefresh, Day(2026, 12, 9));
  info.CalcNextRefresh(Day(2026, 12, 9) + 0.9);
  EXPECT_EQ(info.NextRefresh, Day(2026, 12, 16));
  info.CalcNextRefresh(Day(2026, 12, 11));
  EXPECT_EQ(info.NextRefresh, Day(2026, 12, 16));

  TBMInfo fortnight = Weekly(0, 2);
  fortnight.CalcNextRefresh(Day(2026, 12, 12));
  EXPECT_EQ(fortnight.NextRefresh, Day(2026, 12, 20));
}

TEST(BookmarkInfo, DailyScheduleAndUnscheduledRecord) {
  TBMInfo info(Day(2026, 12, kMonday));
  info.Scheduled = 1;
  info.Days = 3;
  info.CalcNextRefresh(Day(2026, 12, kMonday) + 0.6);
  EXPECT_EQ(info.NextRefresh, Day(2026, 12, 10));

  TBMInfo idle(Day(2026, 12, kMonday));
  idle.NextRefresh = 42.5;
  idle.CalcNextRefresh(Day(2026, 12, kMonday));
  EXPECT_EQ(idle.NextRefresh, 42.5);
}

// A schedule that computes today (or earlier) would make the bookmark due at every Autobrowse
// run of the day, so a session never runs dry.
TEST(BookmarkInfo, SchedulesNeverFallDueForEver) {
  const TDateTime now = Day(2026, 12, kMonday);
  TBMInfo zeroDays(now);
  zeroDays.Scheduled = 1;
  zeroDays.Days = 0;
  zeroDays.CalcNextRefresh(now);
  EXPECT_GT(zeroDays.NextRefresh, now);

  zeroDays.Days = -7;
  zeroDays.CalcNextRefresh(now);
  EXPECT_GT(zeroDays.NextRefresh, now);

  TBMInfo zeroWeeks = Weekly(3, 0);
  zeroWeeks.CalcNextRefresh(now);
  EXPECT_EQ(zeroWeeks.NextRefresh, Day(2026, 12, 9));

  TBMInfo badWeekday = Weekly(-5, 1);
  badWeekday.CalcNextRefresh(Day(2026, 12, 12));
  EXPECT_GT(badWeekday.NextRefresh, Day(2026, 12, 12));

  TBMInfo badKind(now);
  badKind.Scheduled = 1;
  badKind.IntervalKind = 7;
  badKind.Days = 2;
  badKind.CalcNextRefresh(now);
  EXPECT_EQ(badKind.NextRefresh, now + 2);
}

TEST(BookmarkInfo, CopyTakesSettingsButNotIdentity) {
  TBMInfo source(Day(2026, 12, kMonday));
  source.Title = "Source";
  source.URL = "http://a/";
  source.KillWords = "ads";
  source.Comments = "note";
  source.Depth = 4;
  source.Scheduled = 1;
  source.Hold = 1;
  source.Locked = 1;
  source.Credentials = "dTpw";
  source.LastVisit = 45000;
  source.Spare2 = 7;
  source.Spare3 = 9;

  TBMInfo target(Day(2026, 12, kMonday));
  target.Title = "Target";
  target.UserName = "user";
  target.Copy(source);
  EXPECT_EQ(target.Title, "Target");
  EXPECT_TRUE(target.Comments.isNull());
  EXPECT_TRUE(target.Credentials.isNull());
  EXPECT_TRUE(target.UserName.isNull());
  EXPECT_EQ(target.URL, "http://a/");
  EXPECT_EQ(target.KillWords, "ads");
  EXPECT_EQ(target.Depth, 4);
  EXPECT_EQ(target.Scheduled, 1);
  EXPECT_EQ(target.Hold, 0);
  EXPECT_EQ(target.Locked, 0);
  EXPECT_NE(target.SerialId, source.SerialId);
  EXPECT_EQ(target.LastVisit, 45000);
  EXPECT_EQ(target.Spare2, 7);
  EXPECT_EQ(target.Spare3, 9);

  source.LastVisit = -5;
  target.Copy(source);
  EXPECT_EQ(target.LastVisit, 0);

  TBMInfo folder(Day(2026, 12, kMonday));
  folder.Folder = 1;
  folder.LastVisit = 100;
  target.LastVisit = 300;
  target.Copy(folder);
  EXPECT_EQ(target.LastVisit, 300);
  EXPECT_EQ(target.Folder, 0);
}

TEST(AutoItem, DyingItemLowersTheFetchCountNeverBelowZero) {
  AutoFetchesInFlight = 1;
  { TAutoItem a; }
  EXPECT_EQ(AutoFetchesInFlight, 0);
  { TAutoItem b; }
  EXPECT_EQ(AutoFetchesInFlight, 0);
}

} // namespace
} // namespace ql
