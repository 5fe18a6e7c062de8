#include "proxy/engine/cache/file_recycler.h"

#include <algorithm>
#include <utility>

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

// Empties the named file when it is ours alone (see TakeOver).
bool TakeOverNamed(const QByteArray &path) {
  const int own = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  const bool taken = own >= 0 && TakeOver(own, 1);
  if (own >= 0)
    ::close(own);
  return taken;
}

} // namespace

TFileRecycler::TFileRecycler(TCacheWorker &worker) : worker_(worker) {}

TFileRecycler::~TFileRecycler() {
  worker_.Wait();
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
  worker_.Post([this, path = std::move(path)] { Recycle(path); });
}

void TFileRecycler::RemoveUnnamed(int fd) {
  worker_.Post([this, fd] { RecycleUnnamed(fd); });
}

QByteArray TFileRecycler::TakeSpare() {
  QByteArray spare;
  bool topUp = false;
  {
    std::lock_guard lock(mutex_);
    if (spare_dir_.isEmpty())
      return {};
    if (spares_.empty()) {
      // Downloads ask for more than the pool holds: it grows by one.
      wanted_ = std::min(wanted_ + 1, kSpares);
    } else {
      spare = std::move(spares_.back());
      spares_.pop_back();
    }
    topUp = spares_.size() < wanted_ && !std::exchange(topping_up_, true);
  }
  if (topUp)
    worker_.Post([this] { TopUp(); });
  return spare;
}

void TFileRecycler::TopUp() {
  for (;;) {
    QByteArray dir;
    {
      std::lock_guard lock(mutex_);
      if (spare_dir_.isEmpty() || spares_.size() >= wanted_) {
        topping_up_ = false;
        return;
      }
      dir = spare_dir_;
    }
    const QByteArray spare = MakeSpare(dir);
    if (spare.isEmpty()) {
      std::lock_guard lock(mutex_);
      topping_up_ = false;
      return;
    }
    KeepSpare(spare);
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

QByteArray TFileRecycler::Withdraw(const QByteArray &path) {
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    if (!spare_dir_.isEmpty() && spares_.size() + withdrawn_ < kSpares) {
      dir = spare_dir_;
      ++withdrawn_;
    }
  }
  const QByteArray spare = dir.isEmpty() ? QByteArray() : NextSpareName(dir);
  if (!spare.isEmpty() && ::rename(path.constData(), spare.constData()) == 0)
    return spare;
  ::unlink(path.constData());
  if (!dir.isEmpty()) {
    std::lock_guard lock(mutex_);
    --withdrawn_;
  }
  return {};
}

void TFileRecycler::Keep(const std::vector<QByteArray> &withdrawn) {
  {
    std::lock_guard lock(mutex_);
    withdrawn_ -= withdrawn.size();
  }
  for (const QByteArray &spare : withdrawn) {
    if (TakeOverNamed(spare))
      KeepSpare(spare);
    else
      ::unlink(spare.constData());
  }
}

void TFileRecycler::Drop(const std::vector<QByteArray> &withdrawn) {
  {
    std::lock_guard lock(mutex_);
    withdrawn_ -= withdrawn.size();
  }
  for (const QByteArray &spare : withdrawn)
    ::unlink(spare.constData());
}

void TFileRecycler::Recycle(const QByteArray &path) {
  const QByteArray spare = Withdraw(path);
  if (!spare.isEmpty())
    Keep({spare});
}

void TFileRecycler::RecycleUnnamed(int fd) {
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    if (!spare_dir_.isEmpty() && spares_.size() < kSpares)
      dir = spare_dir_;
  }
  // Emptied first, so that the spare's name never shows a dropped download's bytes.
  const QByteArray spare = dir.isEmpty() ? QByteArray() : NextSpareName(dir);
  const bool kept = !spare.isEmpty() && TakeOver(fd, 0) && LinkUnnamed(fd, spare);
  ::close(fd);
  if (kept)
    KeepSpare(spare);
}

void TFileRecycler::KeepSpare(const QByteArray &spare) {
  {
    std::lock_guard lock(mutex_);
    if (!spare_dir_.isEmpty() && spare.startsWith(spare_dir_) && spares_.size() < kSpares) {
      spares_.push_back(spare);
      return;
    }
  }
  ::unlink(spare.constData());
}

} // namespace ql
