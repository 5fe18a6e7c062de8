#include "proxy/engine/cache/cache_journal.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

bool JournalCacheItem(TCacheIndex &index, int32_t id, const QString &dataDir, bool diskFull) {
  std::vector<int32_t> &queue = index.JournalQueue();
  queue.push_back(id);
  if (queue.size() != kJournalBatch || diskFull)
    return true;

  QByteArray batch;
  std::vector<std::size_t> ends; // offset in batch after each record
  for (int32_t queued : queue) {
    if (const TCacheItem *item = index.FindCacheItemById(queued); item && AppendCacheRecord(batch, *item))
      ends.push_back(static_cast<std::size_t>(batch.size()));
  }
  queue.clear();

  const QString path = QDir(dataDir).filePath(QLatin1String(kJournalFileName));
  const int fd = OpenForAppend(QFile::encodeName(path), O_WRONLY | O_CREAT);
  if (fd < 0)
    return false;
  struct stat before {};
  if (::fstat(fd, &before) != 0) {
    ::close(fd);
    return false;
  }
  std::size_t written = 0;
  bool ok = WriteAll(fd, batch.constData(), static_cast<std::size_t>(batch.size()), &written);
  if (!ok) {
    std::size_t whole = 0;
    for (std::size_t end : ends) {
      if (end <= written)
        whole = end;
    }
    if (::ftruncate(fd, before.st_size + static_cast<off_t>(whole)) != 0)
      ok = false;
  }
  ok = (::fdatasync(fd) == 0) && ok;
  ok = (::close(fd) == 0) && ok;
  if (before.st_size == 0)
    ok = SyncDirectory(dataDir) && ok;
  return ok;
}

} // namespace ql
