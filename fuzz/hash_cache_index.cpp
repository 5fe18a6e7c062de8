// Feeds arbitrary bytes to the reader of a browser's binary cache index, as a whole file cut
// into its pages and as one short page, and checks that every record it takes keeps within
// the bounds of its layout.
#include "proxy/engine/import/hash_cache_index.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(const ql::TPageScan &scan) {
  if (scan.Records.size() > static_cast<std::size_t>(ql::kMaxRecordsPerPage) || scan.Skipped < 0 ||
      scan.Skipped > 1)
    std::abort();
  for (const ql::TIndexRecord &record : scan.Records) {
    if (record.Url.size() > 510 || record.FileName.size() > 48 || record.ContentType.size() > 50 ||
        record.FileName != record.FileName.toLower() || (record.Url.isEmpty() && record.FileName.isEmpty()))
      std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *bytes = reinterpret_cast<const char *>(data);
  const std::size_t pageSize = ql::HashCachePageSize(
      QByteArray::fromRawData(bytes, static_cast<qsizetype>(std::min<std::size_t>(size, 8192))));
  if (pageSize != ql::kSmallIndexPage && pageSize != ql::kLargeIndexPage)
    std::abort();
  for (std::size_t at = pageSize; at < size; at += pageSize)
    Check(ql::ScanHashCachePage(bytes + at, std::min(pageSize, size - at), pageSize));
  Check(ql::ScanHashCachePage(bytes, size, ql::kSmallIndexPage));
  return 0;
}
