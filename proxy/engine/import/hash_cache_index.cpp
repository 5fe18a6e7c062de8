#include "proxy/engine/import/hash_cache_index.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace ql {

namespace {

constexpr std::size_t kSpecialWindow = 101;
constexpr std::size_t kNameLimit = 50;
constexpr std::size_t kTypeLimit = 100;
constexpr std::size_t kUrlLimit = 512;
constexpr qsizetype kTypeKept = 50;

// A page's bytes with every read checked against their end.
class TPage {
public:
  TPage(const char *data, std::size_t length) : data_(data), length_(length) {}

  std::size_t Length() const { return length_; }
  std::optional<std::size_t> Word(std::size_t at) const {
    if (at > length_ || length_ - at < 2)
      return std::nullopt;
    return static_cast<std::size_t>(static_cast<uint8_t>(data_[at]) | static_cast<uint8_t>(data_[at + 1])
                                                                          << 8);
  }
  // size bytes at at, up to the first zero byte; none when they leave the page.
  std::optional<QByteArray> Text(std::size_t at, std::size_t size) const {
    if (at > length_ || length_ - at < size)
      return std::nullopt;
    const char *begin = data_ + at;
    const char *end = std::find(begin, begin + size, '\0');
    return QByteArray(begin, end - begin);
  }
  QByteArray Window(std::size_t at, std::size_t size) const {
    return at >= length_ ? QByteArray()
                         : QByteArray(data_ + at, static_cast<qsizetype>(std::min(size, length_ - at)));
  }

private:
  const char *data_;
  std::size_t length_;
};

// Where the records of the page begin: past the special entries at the data area's start.
std::optional<std::size_t> FirstRecord(const TPage &page, std::size_t count) {
  const std::size_t tableEnd = 2 + 2 * count;
  std::optional<std::size_t> start;
  for (std::size_t k = 1; k <= count; ++k) {
    const std::optional<std::size_t> offset = page.Word(2 * k);
    if (!offset)
      return std::nullopt;
    if (*offset >= tableEnd && *offset < page.Length() && (!start || *offset < *start))
      start = offset;
  }
  if (!start)
    return std::nullopt;
  const QByteArray window = page.Window(*start, kSpecialWindow);
  std::size_t after = *start;
  for (const char *name : {"INT_ExternalCacheNameString", "INT_DiskCacheNumber", "INT_DiskCacheSize"}) {
    const qsizetype at = window.lastIndexOf(name);
    if (at >= 0)
      after = std::max(after, *start + static_cast<std::size_t>(at) + std::strlen(name));
  }
  return after;
}

// Reads the record at s into record and the start of the next one into next; false when a
// length or offset of the record leaves the page.
bool ReadRecord(const TPage &page, std::size_t s, TIndexRecord &record, std::size_t &next) {
  const auto firstPart = page.Word(s);
  const auto nameLength = page.Word(s + 29);
  if (!firstPart || !nameLength)
    return false;
  const std::size_t urlField = s + *firstPart + 4;
  const auto urlLength = page.Word(urlField);
  const auto extra = page.Word(s + *nameLength + 62);
  if (!urlLength || !extra)
    return false;
  const std::size_t typeField = s + *nameLength + 66 + *extra;
  const auto typeLength = page.Word(typeField);
  if (!typeLength)
    return false;
  const std::size_t afterUrl = urlField + 4 + *urlLength;
  const auto further = page.Word(afterUrl);
  if (!further)
    return false;

  record = TIndexRecord();
  if (*nameLength > 0 && *nameLength < kNameLimit) {
    const auto name = page.Text(s + 33, *nameLength - 1);
    if (!name)
      return false;
    record.FileName = name->toLower();
  }
  if (*typeLength > 0 && *typeLength < kTypeLimit) {
    const auto type = page.Text(typeField + 4, *typeLength - 1);
    if (!type)
      return false;
    record.ContentType = type->left(kTypeKept).toLower();
  }
  if (*urlLength > 0 && *urlLength < kUrlLimit) {
    const auto url = page.Text(urlField + 4, *urlLength - 1);
    if (!url)
      return false;
    record.Url = *url;
  }
  next = afterUrl + *further + 4;
  return true;
}

} // namespace

std::size_t HashCachePageSize(const QByteArray &start) {
  if (start.size() < static_cast<qsizetype>(2 * kSmallIndexPage))
    return kLargeIndexPage;
  const QByteArray head = start.mid(kSmallIndexPage, 51);
  return head.count('\0') == head.size() ? kLargeIndexPage : kSmallIndexPage;
}

TPageScan ScanHashCachePage(const char *data, std::size_t length, std::size_t pageSize) {
  TPageScan scan;
  const TPage page(data, std::min(length, pageSize));
  const std::optional<std::size_t> count = page.Word(0);
  if (!count || *count == 0)
    return scan;
  if (*count >= pageSize) {
    scan.Skipped = 1;
    return scan;
  }
  const std::optional<std::size_t> first = FirstRecord(page, *count);
  if (!first) {
    scan.Skipped = 1;
    return scan;
  }
  std::size_t at = *first;
  while (at < page.Length() && static_cast<int>(scan.Records.size()) < kMaxRecordsPerPage) {
    // A first-part length of zero is the page's free space: no record begins there.
    if (page.Word(at) == std::optional<std::size_t>(0))
      break;
    TIndexRecord record;
    std::size_t next = 0;
    if (!ReadRecord(page, at, record, next)) {
      ++scan.Skipped;
      break;
    }
    if (!record.Url.isEmpty() || !record.FileName.isEmpty())
      scan.Records.push_back(std::move(record));
    at = next;
  }
  return scan;
}

} // namespace ql
