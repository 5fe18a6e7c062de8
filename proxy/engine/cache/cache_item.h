#pragma once

#include "proxy/engine/http/dates.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace ql {

// Kinds of cache entry. Only Normal entries count towards the cache size and are evicted.
enum TEntryType : uint8_t { Normal = 0, Preserved = 1, Auto = 2 };

// One cache entry in memory: the stored response's facts and its four texts. Plain data; the
// cache index owns every entry, and the index's setters keep CacheTotalSize in step with
// Length and EntryType (see TCacheIndex). Dates are in the engine's date type.
struct TCacheItem {
  int32_t ID = 0;
  int32_t Status = 0;
  int32_t BMSerial = 0;
  int32_t BMGeneration = 0;
  TDateTime LastModified = 0;
  int32_t MimeIndex = 0;
  TDateTime LastAccessed = 0;
  TDateTime Retrieved = 0;
  int32_t Length = 0;
  int32_t Hits = 0;
  uint8_t EntryType = Normal;
  uint8_t Seen = 1;
  uint8_t Validated = 0; // confirmed by the origin during this run; never stored
  QByteArray URL;        // cache key: "http://" host ":" port path
  QByteArray Title;
  QByteArray Location;
  QByteArray PostData;
};

// The name of an entry's body file in the data directory: its ID with the extension ADL.
QString BodyFileName(int32_t id);

} // namespace ql
