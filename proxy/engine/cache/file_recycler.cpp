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
  worker_.Finish();
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

std::size_t TFileRecycler::SpareCount() {
  std::lock_guard lock(mutex_);
  return spares_.size();
}

void TFileRecycler::Remove(QByteArray path) {
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    dir = spare_dir_;
  }
  worker_.Post([this, path = std::move(path), dir] { Recycle(path, -1, dir); });
}

void TFileRecycler::RemoveUnnamed(int fd) {
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    dir = spare_dir_;
  }
  worker_.Post([this, fd, dir] { Recycle(QByteArray(), fd, dir); });
}

QByteArray TFileRecycler::TakeSpare() {
  QByteArray spare;
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    if (spare_dir_.isEmpty())
      return {};
    dir = spare_dir_;
    if (spares_.empty()) {
      // Downloads ask for more than the pool holds: it grows by one.
      wanted_ = std::min(wanted_ + 1, kSpares);
    } else {
      spare = std::move(spares_.back());
      spares_.pop_back();
    }
  }
  worker_.Post([this, dir] { MakeSpare(dir); }, true);
  return spare;
}

QByteArray TFileRecycler::NextSpareName(const QByteArray &dir) {
  return dir + kSparePrefix + QByteArray::number(++spare_number_) + kSpareSuffix;
}

void TFileRecycler::MakeSpare(const QByteArray &dir) {
  {
    std::lock_guard lock(mutex_);
    if (dir != spare_dir_ || spares_.size() >= wanted_)
      return;
  }
  // Made unnamed and then linked, so that the directory is not held while the file system
  // looks for a free inode, which the relay's own renames in it would wait for.
  const QByteArray spare = NextSpareName(dir);
  const int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int named = ::open(spare.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (named < 0)
      return;
    ::close(named);
  } else {
    const bool linked = LinkUnnamed(fd, spare);
    ::close(fd);
    if (!linked)
      return;
  }
  Keep(spare, dir);
}

void TFileRecycler::Recycle(const QByteArray &path, int fd, const QByteArray &dir) {
  {
    std::lock_guard lock(mutex_);
    if (dir.isEmpty() || dir != spare_dir_ || spares_.size() >= kSpares) {
      if (fd >= 0)
        ::close(fd);
      else
        ::unlink(path.constData());
      return;
    }
  }
  const QByteArray spare = NextSpareName(dir);
  if (fd >= 0) {
    // Emptied first, so that the spare's name never shows a dropped download's bytes.
    const bool kept = TakeOver(fd, 0) && LinkUnnamed(fd, spare);
    ::close(fd);
    if (kept)
      Keep(spare, dir);
    return;
  }
  if (::rename(path.constData(), spare.constData()) != 0) {
    ::unlink(path.constData());
    return;
  }
  const int own = ::open(spare.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  const bool kept = own >= 0 && TakeOver(own, 1);
  if (own >= 0)
    ::close(own);
  if (kept)
    Keep(spare, dir);
  else
    ::unlink(spare.constData());
}

void TFileRecycler::Keep(const QByteArray &spare, const QByteArray &dir) {
  {
    std::lock_guard lock(mutex_);
    if (dir == spare_dir_ && spares_.size() < kSpares) {
      spares_.push_back(spare);
      return;
    }
  }
  ::unlink(spare.constData());
}

} // namespace ql
