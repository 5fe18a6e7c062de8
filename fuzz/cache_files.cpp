// Feeds arbitrary bytes to the cache index load as the two files of a data folder: the first
// two bytes give the length of CACHE.DAT, the rest is the journal CACHE.BAK. Checks that the
// load ends, that what it kept saves and loads again to the same entries, and that a damaged
// file is reported.
#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_index_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void Write(const QString &path, const char *bytes, std::size_t n) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  file.write(bytes, static_cast<qint64>(n));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ql;
  if (size < 2)
    return 0;
  static QTemporaryDir root;
  QDir dir(root.path());
  for (const QString &name : dir.entryList(QDir::Files))
    dir.remove(name);
  const char *bytes = reinterpret_cast<const char *>(data) + 2;
  const std::size_t rest = size - 2;
  const std::size_t main = std::min<std::size_t>(rest, data[0] | (std::size_t{data[1]} << 8));
  if (main > 0)
    Write(dir.filePath(kCacheFileName), bytes, main);
  if (rest > main)
    Write(dir.filePath(kJournalFileName), bytes + main, rest - main);

  TCacheIndex index;
  const TCacheLoadReport report = LoadCacheIndex(index, root.path());
  if (report.OldFormat)
    return 0;
  if (report.Damaged != index.LoadDamaged)
    std::abort();

  QByteArray again;
  index.ForEach([&again](const TCacheItem &item) { AppendCacheRecord(again, item); });
  TCacheIndex reread;
  TRecordRead stop = TRecordRead::Ok;
  const std::size_t used = ReadCacheRecords(reread, again.constData(), again.size(), &stop, false);
  if (stop != TRecordRead::Ok || used != static_cast<std::size_t>(again.size()) ||
      reread.Ids() != index.Ids())
    std::abort();
  return 0;
}
