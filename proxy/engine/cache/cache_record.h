#pragma once

#include "proxy/engine/cache/cache_item.h"

#include <QByteArray>
#include <cstddef>

namespace ql {

// The entry record shared by CACHE.DAT and CACHE.BAK, little-endian without padding:
// ID, Status, BMSerial, BMGeneration (4 bytes each), LastModified (8), MimeIndex (4),
// LastAccessed (8), Retrieved (8), Length (4), Hits (4), EntryType (1), Seen (1), the four text
// lengths counting their NUL (4 each), then URL, Title, Location and PostData, each with its NUL.
// Dates are stored in file form (plus 693594, zero staying zero).
constexpr std::size_t kCacheRecordFixedSize = 54;
constexpr std::size_t kCacheRecordHeadSize = 70;

// The EntryType of a journal record that says the entry with its ID has left the cache. Such a
// record carries only the ID; CACHE.DAT never holds one.
constexpr uint8_t kRemovedEntry = 0xFF;

// A text is at most 4096 bytes plus its NUL, the size every reader of these files can hold.
constexpr int32_t kMaxCacheTextLength = 4097;

// Appends the record of item to out. An entry whose URL, Location or POST data does not fit
// the bound cannot be stored whole and is not written (false); a longer Title is cut.
bool AppendCacheRecord(QByteArray &out, const TCacheItem &item);
// Appends the journal record of the removal of the entry with this ID.
void AppendRemovalRecord(QByteArray &out, int32_t id);

enum class TRecordRead {
  Ok,        // a whole record was read
  Truncated, // the bytes end inside the record
  Damaged    // a text length is negative or beyond the bound
};

// Reads one record from data[0, size) into item (dates back in memory form; Validated 0).
// On Ok, *used is the record's size in bytes.
TRecordRead ReadCacheRecord(const char *data, std::size_t size, TCacheItem &item, std::size_t *used);
// The bytes of the whole records at the start of data[0, size), up to the first record that is
// cut short or damaged.
std::size_t WholeRecordBytes(const char *data, std::size_t size);

} // namespace ql
