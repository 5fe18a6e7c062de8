#include "proxy/engine/cache/cache_record.h"

#include <QtEndian>
#include <cstring>

namespace ql {
namespace {

template <typename T> void Put(QByteArray &out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

void PutDate(QByteArray &out, TDateTime date) {
  DateTimeToDayNumber(date);
  Put<double>(out, date);
}

template <typename T> T Get(const char *data, std::size_t offset) {
  return qFromLittleEndian<T>(data + offset);
}

TDateTime GetDate(const char *data, std::size_t offset) {
  TDateTime date = Get<double>(data, offset);
  DayNumberToDateTime(date);
  return date;
}

// The stored text of a length counting its NUL: the bytes before the first NUL.
QByteArray GetText(const char *data, int32_t length) {
  if (length <= 1)
    return QByteArray();
  const auto *nul = static_cast<const char *>(std::memchr(data, 0, static_cast<std::size_t>(length)));
  return QByteArray(data, nul ? nul - data : length);
}

} // namespace

bool AppendCacheRecord(QByteArray &out, const TCacheItem &item) {
  constexpr qsizetype kMaxText = kMaxCacheTextLength - 1;
  if (item.URL.size() > kMaxText || item.Location.size() > kMaxText || item.PostData.size() > kMaxText)
    return false;
  const QByteArray title = item.Title.left(kMaxText);
  const QByteArray *texts[4] = {&item.URL, &title, &item.Location, &item.PostData};

  Put<int32_t>(out, item.ID);
  Put<int32_t>(out, item.Status);
  Put<int32_t>(out, item.BMSerial);
  Put<int32_t>(out, item.BMGeneration);
  PutDate(out, item.LastModified);
  Put<int32_t>(out, item.MimeIndex);
  PutDate(out, item.LastAccessed);
  PutDate(out, item.Retrieved);
  Put<int32_t>(out, item.Length);
  Put<int32_t>(out, item.Hits);
  out.append(static_cast<char>(item.EntryType));
  out.append(static_cast<char>(item.Seen));
  for (const QByteArray *text : texts)
    Put<int32_t>(out, static_cast<int32_t>(text->size() + 1));
  for (const QByteArray *text : texts) {
    out.append(*text);
    out.append('\0');
  }
  return true;
}

void AppendRemovalRecord(QByteArray &out, int32_t id) {
  TCacheItem removed;
  removed.ID = id;
  removed.EntryType = kRemovedEntry;
  removed.Seen = 0;
  AppendCacheRecord(out, removed);
}

TRecordRead ReadCacheRecord(const char *data, std::size_t size, TCacheItem &item, std::size_t *used) {
  if (size < kCacheRecordHeadSize)
    return TRecordRead::Truncated;
  int32_t lengths[4];
  std::size_t total = kCacheRecordHeadSize;
  bool short_read = false;
  for (int i = 0; i < 4; ++i) {
    lengths[i] = Get<int32_t>(data, kCacheRecordFixedSize + 4 * i);
    if (lengths[i] < 0 || lengths[i] > kMaxCacheTextLength)
      return TRecordRead::Damaged;
    total += static_cast<std::size_t>(lengths[i]);
    short_read = short_read || total > size;
  }
  if (short_read)
    return TRecordRead::Truncated;

  item.ID = Get<int32_t>(data, 0);
  item.Status = Get<int32_t>(data, 4);
  item.BMSerial = Get<int32_t>(data, 8);
  item.BMGeneration = Get<int32_t>(data, 12);
  item.LastModified = GetDate(data, 16);
  item.MimeIndex = Get<int32_t>(data, 24);
  item.LastAccessed = GetDate(data, 28);
  item.Retrieved = GetDate(data, 36);
  item.Length = Get<int32_t>(data, 44);
  item.Hits = Get<int32_t>(data, 48);
  item.EntryType = static_cast<uint8_t>(data[52]);
  item.Seen = static_cast<uint8_t>(data[53]);
  item.Validated = 0;
  QByteArray *texts[4] = {&item.URL, &item.Title, &item.Location, &item.PostData};
  std::size_t offset = kCacheRecordHeadSize;
  for (int i = 0; i < 4; ++i) {
    *texts[i] = GetText(data + offset, lengths[i]);
    offset += static_cast<std::size_t>(lengths[i]);
  }
  *used = total;
  return TRecordRead::Ok;
}

std::size_t WholeRecordBytes(const char *data, std::size_t size) {
  std::size_t pos = 0;
  TCacheItem item;
  std::size_t used = 0;
  while (pos < size && ReadCacheRecord(data + pos, size - pos, item, &used) == TRecordRead::Ok)
    pos += used;
  return pos;
}

} // namespace ql
