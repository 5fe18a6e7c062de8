#include "proxy/engine/cache/journal_writer.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/cache/file_bytes.h"
#include "proxy/engine/cache/file_recycler.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ql {
namespace {

using Clock = std::chrono::steady_clock;

uint64_t NanosSince(Clock::time_point start) {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count());
}

QString ErrorText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// The most body files a flush holds open at once.
constexpr std::size_t kBodiesAtOnce = 64;

bool IsDiskFull(int error) {
  return error == ENOSPC || error == EDQUOT;
}

std::atomic<int> &FailingWrites() {
  static std::atomic<int> error{0};
  return error;
}

} // namespace

void TJournalWriter::FailWritesForTest(int error) {
  FailingWrites() = error;
}

void TJournalWriter::SetWake(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

TJournalReport TJournalWriter::TakeReport() {
  std::lock_guard lock(mutex_);
  return std::exchange(report_, TJournalReport());
}

TSyncCost TJournalWriter::Cost() {
  std::lock_guard lock(mutex_);
  return cost_;
}

void TJournalWriter::Report(const std::function<void(TJournalReport &)> &change, bool wake) {
  std::function<void()> call;
  {
    std::lock_guard lock(mutex_);
    change(report_);
    if (wake)
      call = wake_;
  }
  if (call)
    call();
}

void TJournalWriter::Open(const QString &dataDir) {
  Close();
  dir_ = dataDir;
  mark_ = -1;
  cut_to_ = -1;
  failing_ = false;
  drop_causes_.clear();
}

void TJournalWriter::Close() {
  Flush();
  CloseFile();
  // What could not be written is given up: the save at exit writes every entry the index keeps.
  // So the entries whose bodies cannot be opened leave it first, also those that a failed flush
  // did not get to look at.
  if (!waiting_.Stored.empty() && !dir_.isEmpty())
    SyncBodies();
  if (!dropped_.empty())
    Report(
        [dropped = std::exchange(dropped_, {})](TJournalReport &report) {
          report.Dropped.insert(report.Dropped.end(), dropped.begin(), dropped.end());
        },
        true);
  behind_ -= std::exchange(waiting_events_, 0);
  waiting_ = TJournalBatch();
  if (recycler_ != nullptr)
    recycler_->Drop(withdrawn_);
  withdrawn_.clear();
  folder_changed_ = false;
}

void TJournalWriter::CloseFile() {
  if (fd_ >= 0)
    ::close(fd_);
  if (dir_fd_ >= 0)
    ::close(dir_fd_);
  fd_ = -1;
  dir_fd_ = -1;
  size_ = -1;
}

QByteArray TJournalWriter::BodyPath(int32_t id) const {
  return QFile::encodeName(QDir(dir_).filePath(BodyFileName(id)));
}

bool TJournalWriter::OpenFile() {
  if (fd_ >= 0)
    return true;
  if (dir_.isEmpty())
    return false;
  const QDir dir(dir_);
  struct stat journal {};
  dir_fd_ = ::open(QFile::encodeName(dir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd_ >= 0) {
    fd_ = OpenForAppend(QFile::encodeName(dir.filePath(QLatin1String(kJournalFileName))), O_WRONLY | O_CREAT);
    // A link under the name (ELOOP), a second name (EMLINK), or no plain file (EINVAL).
    if (fd_ < 0 && (errno == ELOOP || errno == EMLINK || errno == EINVAL) && ReplaceLinkedJournal())
      cut_to_ = -1;
  }
  if (dir_fd_ < 0 || fd_ < 0 || ::fstat(fd_, &journal) != 0) {
    const int error = errno;
    CloseFile();
    Failed(QStringLiteral("open"), error);
    return false;
  }
  size_ = journal.st_size;
  // A failed write that could not be cut back at once is cut back now.
  if (cut_to_ >= 0 && size_ > cut_to_) {
    if (::ftruncate(fd_, static_cast<off_t>(cut_to_)) != 0) {
      const int error = errno;
      CloseFile();
      Failed(QStringLiteral("cut back"), error);
      return false;
    }
    size_ = cut_to_;
  }
  cut_to_ = -1;
  struct stat indexFile {};
  index_bytes_ =
      ::stat(QFile::encodeName(dir.filePath(QLatin1String(kCacheFileName))).constData(), &indexFile) == 0
          ? indexFile.st_size
          : 0;
  // A journal made just now must keep its name through a crash.
  if (size_ == 0 && ::fsync(dir_fd_) != 0) {
    const int error = errno;
    CloseFile();
    Failed(QStringLiteral("sync the directory of"), error);
    return false;
  }
  return true;
}

bool TJournalWriter::ReplaceLinkedJournal() {
  const QByteArray path = QFile::encodeName(QDir(dir_).filePath(QLatin1String(kJournalFileName)));
  // A plain file with a second name may be this journal itself (a backup that links files): its
  // whole records are kept. What a symbolic link leads to is not read. The file is mapped and
  // only its whole records are copied, which the first record that is not whole ends: another
  // file, however large, costs a look at its first bytes.
  QByteArray records;
  const int reader = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat facts {};
  if (reader >= 0 && ::fstat(reader, &facts) == 0 && S_ISREG(facts.st_mode)) {
    const TFileBytes bytes(reader);
    std::size_t size = bytes.size();
    if (cut_to_ >= 0)
      size = std::min(size, static_cast<std::size_t>(cut_to_));
    records = QByteArray(bytes.data(), static_cast<qsizetype>(WholeRecordBytes(bytes.data(), size)));
  }
  if (reader >= 0)
    ::close(reader);
  if (!RewriteJournal(records))
    return false;
  Report(
      [&](TJournalReport &report) {
        report.Problems << QStringLiteral("%1 was a link; a journal of its own took its place")
                               .arg(QDir(dir_).filePath(QLatin1String(kJournalFileName)));
      },
      true);
  return true;
}

bool TJournalWriter::RewriteJournal(const QByteArray &records) {
  const QDir dir(dir_);
  const QByteArray temp = QFile::encodeName(dir.filePath(QLatin1String(kTempCacheFileName)));
  const QByteArray journal = QFile::encodeName(dir.filePath(QLatin1String(kJournalFileName)));
  const int fd = CreateNewFile(temp);
  const bool ok = fd >= 0 && WriteAll(fd, records.constData(), static_cast<std::size_t>(records.size())) &&
                  ::fdatasync(fd) == 0 && ::rename(temp.constData(), journal.constData()) == 0;
  if (!ok) {
    const int error = errno;
    if (fd >= 0) {
      ::close(fd);
      ::unlink(temp.constData());
    }
    errno = error;
    return false;
  }
  ::fcntl(fd, F_SETFL, O_APPEND);
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = fd;
  size_ = records.size();
  // Batches from now on go to the new file: its name must hold through a crash.
  ::fsync(dir_fd_);
  return true;
}

void TJournalWriter::Stage(TJournalBatch batch) {
  staged_ = true;
  waiting_events_ += batch.Events();
  waiting_.Records += batch.Records;
  waiting_.Stored.insert(waiting_.Stored.end(), batch.Stored.begin(), batch.Stored.end());
  waiting_.Removed.insert(waiting_.Removed.end(), batch.Removed.begin(), batch.Removed.end());
  waiting_.Evicted.insert(waiting_.Evicted.end(), batch.Evicted.begin(), batch.Evicted.end());
}

void TJournalWriter::Step(TFlushStep step) {
  if (step_hook_)
    step_hook_(step);
}

void TJournalWriter::FlushStaged() {
  if (staged_)
    Flush();
}

void TJournalWriter::Flush() {
  staged_ = false;
  if (waiting_.Records.isEmpty() && waiting_.Removed.empty() && waiting_.Evicted.empty())
    return;
  MoveEvictedBodies();
  Step(TFlushStep::BodiesMovedAway);
  if (!OpenFile() || !SyncFolder())
    return;
  Step(TFlushStep::FolderSynced);
  if (!SyncBodies())
    return;
  Step(TFlushStep::BodiesSynced);
  if (!WriteRecords())
    return;
  Step(TFlushStep::RecordsSynced);
  std::vector<int32_t> released = std::move(waiting_.Removed);
  std::vector<int32_t> dropped = std::exchange(dropped_, {});
  waiting_ = TJournalBatch();
  behind_ -= std::exchange(waiting_events_, 0);
  const bool recovered = std::exchange(failing_, false);
  Report(
      [&](TJournalReport &report) {
        report.Released.insert(report.Released.end(), released.begin(), released.end());
        report.Dropped.insert(report.Dropped.end(), dropped.begin(), dropped.end());
        if (recovered)
          report.Problems << QStringLiteral("The journal %1 is written again").arg(kJournalFileName);
      },
      recovered || !dropped.empty());
  Step(TFlushStep::IdsReleased);
  if (recycler_ != nullptr)
    recycler_->Keep(withdrawn_);
  withdrawn_.clear();
  Step(TFlushStep::SparesKept);
}

void TJournalWriter::MoveEvictedBodies() {
  for (const int32_t id : waiting_.Evicted) {
    const QByteArray body = BodyPath(id);
    const QByteArray moved = recycler_ != nullptr ? recycler_->Withdraw(body) : QByteArray();
    if (moved.isEmpty())
      ::unlink(body.constData());
    else
      withdrawn_.push_back(moved);
  }
  folder_changed_ = folder_changed_ || !waiting_.Evicted.empty();
  waiting_.Evicted.clear();
}

bool TJournalWriter::SyncFolder() {
  if (waiting_.Stored.empty() && !folder_changed_)
    return true;
  const Clock::time_point start = Clock::now();
  const bool ok = ::fsync(dir_fd_) == 0;
  const int error = errno;
  {
    std::lock_guard lock(mutex_);
    cost_.BodyNanos += NanosSince(start);
  }
  if (!ok) {
    Failed(QStringLiteral("sync the directory of"), error);
    return false;
  }
  folder_changed_ = false;
  return true;
}

bool TJournalWriter::SyncBodies() {
  const std::vector<int32_t> &ids = waiting_.Stored;
  if (ids.empty())
    return true;
  const Clock::time_point start = Clock::now();
  int error = 0;
  std::size_t synced = 0;
  std::vector<int32_t> unopened;
  std::vector<int> bodies;
  bodies.reserve(kBodiesAtOnce);
  for (std::size_t next = 0; next < ids.size();) {
    // The writes of a handful of bodies are started first, so that the syncs after them wait
    // for the disk once rather than once per body; a handful, so that the relay's sockets never
    // run short of descriptors however many bodies a flush lists.
    for (; next < ids.size() && bodies.size() < kBodiesAtOnce; ++next) {
      const QByteArray body = BodyPath(ids[next]);
      const int fd = ::open(body.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      // A body removed since (deleted, evicted, or replaced and so listed again later) is
      // skipped; one that cannot be opened otherwise leaves the cache.
      if (fd < 0) {
        if (errno != ENOENT) {
          const int cause = errno;
          unopened.push_back(ids[next]);
          if (drop_causes_.insert(cause).second)
            Report(
                [&](TJournalReport &report) {
                  report.Problems << QStringLiteral(
                                         "Could not open the body %1 (%2); its entry leaves the cache")
                                         .arg(QFile::decodeName(body), ErrorText(cause));
                },
                false);
        }
        continue;
      }
      ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      bodies.push_back(fd);
    }
    for (const int fd : bodies) {
      if (error == 0 && ::fdatasync(fd) != 0)
        error = errno;
      ::close(fd);
    }
    synced += bodies.size();
    bodies.clear();
    if (error != 0)
      break;
  }
  {
    std::lock_guard lock(mutex_);
    cost_.Bodies += synced;
    cost_.BodyNanos += NanosSince(start);
  }
  // A dropped body's removal follows its record, in the same write.
  for (const int32_t id : unopened) {
    AppendRemovalRecord(waiting_.Records, id);
    std::erase(waiting_.Stored, id);
    dropped_.push_back(id);
  }
  if (error != 0) {
    Failed(QStringLiteral("sync the bodies listed by"), error);
    return false;
  }
  return true;
}

bool TJournalWriter::WriteRecords() {
  const Clock::time_point start = Clock::now();
  const int64_t before = size_;
  std::size_t written = 0;
  bool ok = false;
  if (const int failing = FailingWrites())
    errno = failing;
  else
    ok = WriteAll(fd_, waiting_.Records.constData(), static_cast<std::size_t>(waiting_.Records.size()),
                  &written) &&
         ::fdatasync(fd_) == 0;
  const int error = ok ? 0 : errno;
  {
    std::lock_guard lock(mutex_);
    ++cost_.Flushes;
    cost_.JournalNanos += NanosSince(start);
  }
  if (!ok) {
    // Nothing of a failed write stays: the next batch writes it again, whole.
    if (::ftruncate(fd_, static_cast<off_t>(before)) != 0) {
      // The file may end in a torn record: it is opened afresh and cut before the next write.
      CloseFile();
      cut_to_ = before;
    }
    Failed(QStringLiteral("write"), error);
    return false;
  }
  size_ = before + static_cast<int64_t>(written);
  return true;
}

void TJournalWriter::Failed(const QString &what, int error) {
  const bool first = !std::exchange(failing_, true);
  const bool full = IsDiskFull(error);
  if (!first && !full)
    return;
  const QString text =
      QStringLiteral("Could not %1 the journal %2 (%3); it is tried again with the next batch")
          .arg(what, QDir(dir_).filePath(QLatin1String(kJournalFileName)), ErrorText(error));
  Report(
      [&](TJournalReport &report) {
        if (first)
          report.Problems << text;
        report.DiskFull = report.DiskFull || full;
      },
      true);
}

void TJournalWriter::Mark() {
  Flush();
  mark_ = OpenFile() ? static_cast<int64_t>(size_) : -1;
}

void TJournalWriter::ReplaceIndexFile(const std::vector<QByteArray> &pieces) {
  Flush();
  const QDir dir(dir_);
  const QByteArray temp = QFile::encodeName(dir.filePath(QLatin1String(kTempCacheFileName)));
  const QByteArray index = QFile::encodeName(dir.filePath(QLatin1String(kCacheFileName)));
  // The pieces may hold records of the batches just flushed: a flush that failed leaves the
  // rewrite for later, so that CACHE.DAT never lists what the journal and the disk do not.
  bool ok =
      waiting_.Records.isEmpty() && waiting_.Removed.empty() && mark_ >= 0 && fd_ >= 0 && mark_ <= size_;
  const int fd = ok ? CreateNewFile(temp) : -1;
  ok = fd >= 0;
  int64_t bytes = 0;
  for (const QByteArray &piece : pieces) {
    ok = ok && WriteAll(fd, piece.constData(), static_cast<std::size_t>(piece.size()));
    bytes += piece.size();
  }
  ok = ok && ::fsync(fd) == 0;
  if (fd >= 0)
    ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.constData(), index.constData()) == 0;
  if (!ok)
    ::unlink(temp.constData());
  // CACHE.DAT now holds the index as of the mark; until the journal is cut, the whole one
  // merged over it still gives the index.
  ok = ok && SyncDirectory(dir_);
  if (ok)
    index_bytes_ = bytes;
  ok = ok && CutJournal(mark_);
  mark_ = -1;
  if (!ok)
    Report(
        [](TJournalReport &report) {
          report.Problems
              << QStringLiteral("Could not rewrite %1; it is tried again later").arg(kCacheFileName);
        },
        false);
  Report(
      [ok](TJournalReport &report) {
        report.Rewrite = ok ? TJournalReport::TRewrite::Done : TJournalReport::TRewrite::Failed;
      },
      true);
}

bool TJournalWriter::CutJournal(int64_t mark) {
  const QByteArray journal = QFile::encodeName(QDir(dir_).filePath(QLatin1String(kJournalFileName)));
  const int64_t size = size_;
  QByteArray tail(static_cast<qsizetype>(size - mark), Qt::Uninitialized);
  const int reader = ::open(journal.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const bool read =
      reader >= 0 && ::pread(reader, tail.data(), static_cast<std::size_t>(tail.size()), mark) == tail.size();
  if (reader >= 0)
    ::close(reader);
  return read && RewriteJournal(tail);
}

} // namespace ql
