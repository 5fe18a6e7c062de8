// Feeds arbitrary bytes to the cache index reader as a journal (entry and removal records), then
// checks that what was read writes back and reads again to the same entries.
#include "proxy/engine/cache/cache_index_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ql;
  TCacheIndex index;
  TRecordRead stop = TRecordRead::Ok;
  const std::size_t used = ReadCacheRecords(index, reinterpret_cast<const char *>(data), size, &stop, true);
  if (used > size || (stop == TRecordRead::Ok && used != size))
    std::abort();

  QByteArray again;
  index.ForEach([&again](const TCacheItem &item) { AppendCacheRecord(again, item); });
  TCacheIndex reread;
  const std::size_t reused = ReadCacheRecords(reread, again.constData(), again.size(), &stop, false);
  if (stop != TRecordRead::Ok || reused != static_cast<std::size_t>(again.size()) ||
      reread.Ids() != index.Ids() || reread.CacheTotalSize() != index.CacheTotalSize())
    std::abort();
  return 0;
}
