#pragma once

#include "proxy/engine/cache/auto_entry_owner.h"
#include "proxy/engine/http/dates.h"

#include <QByteArray>
#include <cstdint>

namespace ql {

// Item size limit that new bookmarks take as their maximum item size. The network window sets
// it once at start from Cache/MaxCacheItemSize; a later change in Setup does not alter it.
extern int32_t DefaultItemSizeLimit;

// Process-wide counter of bookmark serial ids. The next new bookmark takes NextBMSerial and
// raises it by one; loading the bookmark file raises it past the highest id it meets.
extern int32_t NextBMSerial;

// Directory movement rules of an Autobrowse run.
enum TDirMovement : uint8_t { NoRestriction = 0, BackwardsOnly = 1, ForwardsOnly = 2, CurrentDirOnly = 3 };

// Interval kinds of a bookmark's schedule.
enum TIntervalKind : int32_t { EveryNDays = 0, EveryNWeeks = 1 };

// One node of the bookmark tree: a bookmark with its Autobrowse schedule, limits and retrieval
// rules, or a folder (Folder set). Plain data owned by the tree node that holds it. The fixed
// part, LastVisit through EmbeddedFiles, is what the bookmark file stores, in this order.
// Texts are byte strings; a null one stands for "none", an empty one is present but empty.
// To the cache store it is the owner of the entries its Autobrowse runs make.
class TBMInfo : public TAutoEntryOwner {
public:
  // A new record with the defaults: depth 1, every day, weekly on today's weekday, time limit
  // one hour, size limit 5242880, the three retrieve flags set, the next serial id.
  TBMInfo();
  explicit TBMInfo(TDateTime now);

  // Copies the bookmark settings of source, as the properties dialog applies them. Title,
  // comments, serial id, folder, has-Auto-entries, locked, hold and credentials stay.
  void Copy(const TBMInfo &source);

  // Sets NextRefresh from the schedule when Scheduled; otherwise nothing changes. A schedule
  // that would make the bookmark due at every run (days or weeks below 1, an unknown interval
  // kind, a weekday outside 0..6) is read as its nearest sound value: 1 day, 1 week, every N
  // days, the weekday modulo 7.
  void CalcNextRefresh();
  void CalcNextRefresh(TDateTime now);

  // MaxItemSize.
  int64_t AutoItemSizeLimit() const override;
  // Gives item this bookmark's serial id and generation, and sets HasAutoEntries.
  void MarkAutoEntry(TCacheItem &item) override;

  TDateTime LastVisit = 0;
  TDateTime NextRefresh = 0;
  int32_t MaxItemSize = 0;
  int32_t Depth = 1;
  int32_t IntervalKind = EveryNDays;
  int32_t Weeks = 1;
  int32_t Weekday = 0;
  int32_t Days = 1;
  int32_t SerialId = 0;
  int32_t Generation = 0;
  int32_t TimeLimit = 3600000;
  int32_t SizeLimit = 5242880;
  uint8_t DirMovement = NoRestriction;
  uint8_t Spare1 = 0;
  uint8_t FollowExternal = 0;
  uint8_t GetNextTime = 0;
  uint8_t SendCredentials = 0;
  uint8_t Spare2 = 0;
  uint8_t HasAutoEntries = 0;
  uint8_t Folder = 0;
  uint8_t Spare3 = 0;
  uint8_t Scheduled = 0;
  uint8_t InlineImages = 1;
  uint8_t Java = 1;
  uint8_t EmbeddedFiles = 1;
  uint8_t Locked = 0;
  uint8_t Hold = 0;

  QByteArray Title;
  QByteArray URL;
  QByteArray UserName;
  QByteArray Password;
  QByteArray Comments;
  QByteArray KillWords;
  QByteArray Credentials;
};

} // namespace ql
