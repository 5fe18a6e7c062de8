#include "proxy/engine/autobrowse/bookmark_info.h"

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/cache_limits.h"
#include "proxy/engine/http/day_of_week.h"

#include <cmath>

namespace ql {

int32_t DefaultItemSizeLimit = kDefaultMaxCacheItemSize;
int32_t NextBMSerial = 1;

TBMInfo::TBMInfo() : TBMInfo(Now()) {}

TBMInfo::TBMInfo(TDateTime now)
    : MaxItemSize(DefaultItemSizeLimit), Weekday(DayOfWeek(now)), SerialId(NextBMSerial++) {}

int64_t TBMInfo::AutoItemSizeLimit() const {
  return MaxItemSize;
}

void TBMInfo::MarkAutoEntry(TCacheItem &item) {
  item.BMSerial = SerialId;
  item.BMGeneration = Generation;
  HasAutoEntries = 1;
}

void TBMInfo::Copy(const TBMInfo &source) {
  Scheduled = source.Scheduled;
  Spare3 = source.Spare3;
  IntervalKind = source.IntervalKind;
  NextRefresh = source.NextRefresh;
  Weeks = source.Weeks;
  Weekday = source.Weekday;
  Days = source.Days;
  MaxItemSize = source.MaxItemSize;
  FollowExternal = source.FollowExternal;
  Spare2 = source.Spare2;
  Depth = source.Depth;
  DirMovement = source.DirMovement;
  InlineImages = source.InlineImages;
  Java = source.Java;
  EmbeddedFiles = source.EmbeddedFiles;
  Generation = source.Generation;
  TimeLimit = source.TimeLimit;
  SizeLimit = source.SizeLimit;
  SendCredentials = source.SendCredentials;
  GetNextTime = source.GetNextTime;
  URL = source.URL;
  UserName = source.UserName;
  Password = source.Password;
  KillWords = source.KillWords;
  if (!source.Folder) {
    LastVisit = source.LastVisit;
    if (LastVisit < 0 || LastVisit > 1000000)
      LastVisit = 0;
  }
}

void TBMInfo::CalcNextRefresh() {
  CalcNextRefresh(Now());
}

void TBMInfo::CalcNextRefresh(TDateTime now) {
  if (!Scheduled)
    return;
  const double today = std::floor(now);
  const int weekdayToday = DayOfWeek(now);
  if (IntervalKind == EveryNWeeks) {
    const int weeks = Weeks < 1 ? 1 : Weeks;
    const int target = ((Weekday % 7) + 7) % 7;
    if (weekdayToday < target)
      NextRefresh = today + (target - weekdayToday) + (weeks - 1) * 7.0;
    else
      NextRefresh = today + (target - weekdayToday) + weeks * 7.0;
  } else {
    NextRefresh = today + (Days < 1 ? 1 : Days);
  }
  if (today > NextRefresh)
    NextRefresh = today;
}

} // namespace ql
