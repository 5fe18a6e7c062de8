#pragma once

#include "proxy/engine/import/index_record.h"

#include <QByteArray>

#include <cstddef>
#include <vector>

namespace ql {

// The binary cache index of a browser: a hash-table database of pages of 4096 or 16384
// bytes. The first page is a header. Every other page, little-endian, begins with a 16-bit
// entry count n and n 16-bit offsets into the page (bytes 2 to 2n+1); the records lie in the
// page's data area, which begins at the lowest of those offsets that points past the table.
// Special entries named "INT_ExternalCacheNameString", "INT_DiskCacheNumber" and
// "INT_DiskCacheSize" may stand at the start of the data area; the records begin after the
// last of them found in its first 101 bytes. A record at s (lengths count a closing zero):
//   s+0        L, 16 bits: the URL's length field stands at s+L+4
//   s+29       F, 16 bits: the body file name's length; the name (F-1 bytes) at s+33
//   s+F+62     X, 16 bits
//   s+F+66+X   C, 16 bits: the content type's length; the type (C-1 bytes) 4 bytes on
//   s+L+4      U, 16 bits: the URL's length; the URL (U-1 bytes) 4 bytes on
//   after URL  Y, 16 bits: the next record begins Y+4 bytes on from Y
// A name is taken when 0 < F < 50, a content type when 0 < C < 100 (at most 50 characters
// kept), a URL when 0 < U < 512; name and type are lower-cased; each text ends at its first
// zero byte. A record with neither a URL nor a name names nothing; a record whose L is zero
// is the page's free space and ends its records.
inline constexpr std::size_t kSmallIndexPage = 4096;
inline constexpr std::size_t kLargeIndexPage = 16384;
inline constexpr int kMaxRecordsPerPage = 250;

// What one page held.
struct TPageScan {
  std::vector<TIndexRecord> Records;
  // Records whose lengths or offsets point outside the page: the scan of the page ends at the
  // first of them. A page whose count is not below the page size, or whose offset table points
  // nowhere inside it, counts one.
  int Skipped = 0;
};

// The page size from the first two 4096-byte blocks of the file (start holds up to 8192
// bytes): 4096 when both blocks are there and the first 51 bytes of the second are not all
// zero, otherwise 16384.
std::size_t HashCachePageSize(const QByteArray &start);

// Reads the records of one page. page holds the page's bytes as far as the file has them
// (fewer than pageSize at a short last page); nothing outside them is ever read. At most
// kMaxRecordsPerPage records are taken.
TPageScan ScanHashCachePage(const char *page, std::size_t length, std::size_t pageSize);

} // namespace ql
