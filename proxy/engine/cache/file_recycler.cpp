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

TFileRecycler::TFileRecycler(TCacheWorker &worker) : worker_(worker) {
  worker_.SetUrgentWork([this] { return TopUp(); });
}

TFileRecycler::~TFileRecycler() {
  worker_.SetUrgentWork({});
  worker_.Wait();
  Drain();
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
  {
    std::lock_guard lock(mutex_);
    given_back_.push_back(TGivenBack{std::move(path), -1});
  }
  worker_.Wake();
}

void TFileRecycler::RemoveUnnamed(int fd) {
  {
    std::lock_guard lock(mutex_);
    given_back_.push_back(TGivenBack{QByteArray(), fd});
  }
  worker_.Wake();
}

QByteArray TFileRecycler::TakeSpare() {
  QByteArray spare;
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
  }
  worker_.Wake();
  return spare;
}

void TFileRecycler::Drain() {
  std::deque<TGivenBack> given;
  QByteArray dir;
  {
    std::lock_guard lock(mutex_);
    given.swap(given_back_);
    dir = spare_dir_;
    // No spare is made for a while: a take that finds none grows the pool again.
    wanted_ = 0;
  }
  for (const TGivenBack &file : given)
    Recycle(file, dir);
}

bool TFileRecycler::TopUp() {
  std::unique_lock lock(mutex_);
  const QByteArray dir = spare_dir_;
  if (!given_back_.empty()) {
    const TGivenBack file = std::move(given_back_.front());
    given_back_.pop_front();
    lock.unlock();
    Recycle(file, dir);
    return true;
  }
  if (dir.isEmpty() || spares_.size() >= wanted_)
    return false;
  lock.unlock();
  const QByteArray spare = MakeSpare(dir);
  if (spare.isEmpty())
    return false;
  Keep(spare, dir);
  return true;
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

void TFileRecycler::Recycle(const TGivenBack &file, const QByteArray &dir) {
  {
    std::lock_guard lock(mutex_);
    if (dir.isEmpty() || dir != spare_dir_ || spares_.size() >= kSpares) {
      Release(file);
      return;
    }
  }
  const QByteArray spare = NextSpareName(dir);
  if (file.fd >= 0) {
    // Emptied first, so that the spare's name never shows a dropped download's bytes.
    const bool kept = TakeOver(file.fd, 0) && LinkUnnamed(file.fd, spare);
    ::close(file.fd);
    if (kept)
      Keep(spare, dir);
    return;
  }
  if (::rename(file.path.constData(), spare.constData()) != 0) {
    ::unlink(file.path.constData());
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

void TFileRecycler::Release(const TGivenBack &file) {
  if (file.fd >= 0)
    ::close(file.fd);
  else
    ::unlink(file.path.constData());
}

} // namespace ql
