#include "proxy/engine/cache/file_recycler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {
namespace {

// Empties the file when it is a plain one with `links` names and no one else holds it open, so
// that emptying it changes nothing that anyone reads. The system grants a write lease only to
// the file's sole opener.
bool TakeOver(int fd, nlink_t links) {
  struct stat file {};
  if (::fstat(fd, &file) != 0 || !S_ISREG(file.st_mode) || file.st_nlink != links)
    return false;
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0)
    return false;
  ::fcntl(fd, F_SETLEASE, F_UNLCK);
  return ::ftruncate(fd, 0) == 0;
}

// Gives the unnamed file of fd the name path.
bool LinkUnnamed(int fd, const QByteArray &path) {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace

TFileRecycler::~TFileRecycler() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
  ClearSpares();
}

void TFileRecycler::SetSpareDirectory(QByteArray dir) {
  {
    std::lock_guard lock(mutex_);
    if (dir == spare_dir_)
      return;
    spare_dir_ = std::move(dir);
  }
  ClearSpares();
}

void TFileRecycler::ClearSpares() {
  std::vector<QByteArray> spares;
  {
    std::lock_guard lock(mutex_);
    spares.swap(spares_);
  }
  for (const QByteArray &spare : spares)
    ::unlink(spare.constData());
}

void TFileRecycler::Remove(QByteArray path) {
  Queue(TItem{std::move(path), -1});
}

void TFileRecycler::RemoveUnnamed(int fd) {
  Queue(TItem{QByteArray(), fd});
}

void TFileRecycler::Queue(TItem item) {
  bool idle = false;
  {
    std::lock_guard lock(mutex_);
    // The thread waits only when it has nothing left; busy, it finds the file by itself.
    idle = queue_.empty() && !busy_ && !refilling_;
    queue_.push_back(std::move(item));
    if (!thread_.joinable())
      thread_ = std::thread([this] { Run(); });
  }
  if (idle)
    wake_.notify_one();
}

QByteArray TFileRecycler::TakeSpare() {
  QByteArray spare;
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    if (!spares_.empty()) {
      spare = std::move(spares_.back());
      spares_.pop_back();
    }
    if (spares_.size() < kSpareLow && !refilling_ && !spare_dir_.isEmpty() && !stop_) {
      refilling_ = true;
      wake = queue_.empty() && !busy_;
      if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
    }
  }
  if (wake)
    wake_.notify_one();
  return spare;
}

void TFileRecycler::Drain() {
  std::unique_lock lock(mutex_);
  drained_.wait(lock, [this] { return queue_.empty() && !busy_ && !refilling_; });
}

void TFileRecycler::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty() || refilling_; });
    // Files still queued at the end are removed before the thread ends.
    if (stop_ && queue_.empty())
      return;
    busy_ = true;
    const QByteArray dir = spare_dir_;
    if (!queue_.empty()) {
      TItem item = std::move(queue_.front());
      queue_.pop_front();
      const bool keep = !stop_ && !dir.isEmpty() && spares_.size() < kSpares;
      lock.unlock();
      if (keep)
        Recycle(std::move(item), dir);
      else
        Release(item);
      lock.lock();
    } else if (dir.isEmpty() || spares_.size() >= kSpareTarget) {
      refilling_ = false;
    } else {
      // Files given back come first; new ones are made one at a time in between.
      lock.unlock();
      const QByteArray spare = MakeSpare(dir);
      lock.lock();
      if (!spare.isEmpty() && dir == spare_dir_ && !stop_) {
        spares_.push_back(spare);
      } else {
        if (!spare.isEmpty())
          ::unlink(spare.constData());
        refilling_ = false;
      }
    }
    busy_ = false;
    if (queue_.empty() && !refilling_)
      drained_.notify_all();
  }
}

QByteArray TFileRecycler::NextSpareName(const QByteArray &dir) {
  return dir + kSparePrefix + QByteArray::number(++spare_number_) + kSpareSuffix;
}

QByteArray TFileRecycler::MakeSpare(const QByteArray &dir) {
  // Made unnamed and then linked, so that the directory is not held while the file system
  // looks for a free inode, which the relay's own renames in it would wait for.
  const QByteArray spare = NextSpareName(dir);
  const int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int named = ::open(spare.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (named < 0)
      return {};
    ::close(named);
    return spare;
  }
  const bool linked = LinkUnnamed(fd, spare);
  ::close(fd);
  return linked ? spare : QByteArray();
}

void TFileRecycler::Recycle(TItem item, const QByteArray &dir) {
  const QByteArray spare = NextSpareName(dir);
  bool kept = false;
  if (item.fd >= 0) {
    // Emptied first, so that the spare's name never shows a dropped download's bytes.
    kept = TakeOver(item.fd, 0) && LinkUnnamed(item.fd, spare);
    ::close(item.fd);
    if (!kept)
      return;
  } else {
    if (::rename(item.path.constData(), spare.constData()) != 0) {
      ::unlink(item.path.constData());
      return;
    }
    const int fd = ::open(spare.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    kept = fd >= 0 && TakeOver(fd, 1);
    if (fd >= 0)
      ::close(fd);
  }
  if (kept) {
    std::lock_guard lock(mutex_);
    if (!stop_ && dir == spare_dir_ && spares_.size() < kSpares) {
      spares_.push_back(spare);
      return;
    }
  }
  ::unlink(spare.constData());
}

void TFileRecycler::Release(const TItem &item) {
  if (item.fd >= 0)
    ::close(item.fd);
  else
    ::unlink(item.path.constData());
}

} // namespace ql
