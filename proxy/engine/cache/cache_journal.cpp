#include "proxy/engine/cache/cache_journal.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

void TCacheJournal::Open(const QString &dataDir) {
  Close();
  dir_ = dataDir;
  stores_ = 0;
  stopped_ = false;
  next_compaction_ = 0;
}

void TCacheJournal::Close() {
  compaction_.Abandon();
  syncer_.SetFile(-1);
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
  size_ = -1;
}

void TCacheJournal::SetCompactionForTest(int64_t floor, std::size_t slice) {
  floor_ = floor;
  compaction_.SetSliceSize(slice);
}

bool TCacheJournal::Add(int32_t id, bool diskFull) {
  std::vector<TJournalEvent> &queue = index_.JournalQueue();
  queue.push_back(TJournalEvent{id, false});
  ++stores_;
  if (compaction_.Running())
    AdvanceCompaction();
  if (stopped_ || stores_ < kJournalBatch)
    return true;
  if (diskFull) {
    stopped_ = true;
    compaction_.Abandon();
    return true;
  }
  const bool ok = WriteBatch();
  if (ok && DueForCompaction())
    compaction_.Start(index_, dir_, size_);
  return ok;
}

bool TCacheJournal::OpenFile() {
  if (fd_ >= 0)
    return true;
  if (dir_.isEmpty())
    return false;
  const QDir dir(dir_);
  fd_ = OpenForAppend(QFile::encodeName(dir.filePath(QLatin1String(kJournalFileName))), O_WRONLY | O_CREAT);
  if (fd_ < 0)
    return false;
  struct stat journal {};
  if (::fstat(fd_, &journal) != 0) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = journal.st_size;
  struct stat indexFile {};
  index_bytes_ =
      ::stat(QFile::encodeName(dir.filePath(QLatin1String(kCacheFileName))).constData(), &indexFile) == 0
          ? indexFile.st_size
          : 0;
  // A journal made just now must keep its name through a crash.
  if (size_ == 0 && !SyncDirectory(dir_)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  syncer_.SetFile(fd_);
  return true;
}

bool TCacheJournal::WriteBatch() {
  std::vector<TJournalEvent> &queue = index_.JournalQueue();
  QByteArray batch;
  std::vector<std::size_t> ends; // offset in batch after each record
  for (const TJournalEvent &event : queue) {
    if (event.Removed) {
      AppendRemovalRecord(batch, event.ID);
      ends.push_back(static_cast<std::size_t>(batch.size()));
    } else if (const TCacheItem *item = index_.FindCacheItemById(event.ID);
               item && AppendCacheRecord(batch, *item)) {
      ends.push_back(static_cast<std::size_t>(batch.size()));
    }
  }
  queue.clear();
  stores_ = 0;
  if (!OpenFile())
    return false;

  std::size_t written = 0;
  bool ok = WriteAll(fd_, batch.constData(), static_cast<std::size_t>(batch.size()), &written);
  std::size_t whole = static_cast<std::size_t>(batch.size());
  if (!ok) {
    whole = 0;
    for (std::size_t end : ends) {
      if (end <= written)
        whole = end;
    }
    if (::ftruncate(fd_, size_ + static_cast<off_t>(whole)) != 0)
      ok = false;
  }
  size_ += static_cast<int64_t>(whole);
  return syncer_.Request() && ok;
}

bool TCacheJournal::DueForCompaction() const {
  if (size_ < 0 || index_.KeepCacheFile || compaction_.Running())
    return false;
  return size_ > kCompactFactor * std::max(index_bytes_, floor_) && size_ > next_compaction_;
}

void TCacheJournal::AdvanceCompaction() {
  switch (compaction_.Step(index_)) {
  case TCacheCompaction::TState::Ready:
    if (!SwitchToCompactedFile())
      next_compaction_ = 2 * size_;
    break;
  case TCacheCompaction::TState::Failed:
    compaction_.Abandon();
    next_compaction_ = 2 * size_;
    break;
  default:
    break;
  }
}

bool TCacheJournal::SwitchToCompactedFile() {
  // CACHE.DAT now holds the index as of the mark and is on the disk; the journal keeps the
  // records written since. Until the cut journal is in place, the whole one, merged over the
  // new CACHE.DAT, still gives the index.
  const int64_t mark = compaction_.JournalMark();
  index_bytes_ = compaction_.FileBytes();
  compaction_.Abandon();
  const QDir dir(dir_);
  const QByteArray temp = QFile::encodeName(dir.filePath(QLatin1String(kTempCacheFileName)));
  const QByteArray journal = QFile::encodeName(dir.filePath(QLatin1String(kJournalFileName)));
  if (fd_ < 0 || mark > size_)
    return false;
  QByteArray tail(static_cast<qsizetype>(size_ - mark), Qt::Uninitialized);
  const int reader = ::open(journal.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  bool ok =
      reader >= 0 && ::pread(reader, tail.data(), static_cast<std::size_t>(tail.size()), mark) == tail.size();
  if (reader >= 0)
    ::close(reader);
  const int fd = ok ? CreateNewFile(temp) : -1;
  ok = fd >= 0 && WriteAll(fd, tail.constData(), static_cast<std::size_t>(tail.size())) &&
       ::fdatasync(fd) == 0 && ::rename(temp.constData(), journal.constData()) == 0;
  if (!ok) {
    if (fd >= 0) {
      ::close(fd);
      ::unlink(temp.constData());
    }
    return false;
  }
  ::fcntl(fd, F_SETFL, O_APPEND);
  ::close(fd_);
  fd_ = fd;
  syncer_.SetFile(fd_);
  size_ = tail.size();
  // Batches from now on go to the new file: its name must hold through a crash.
  SyncDirectory(dir_);
  return true;
}

} // namespace ql
