#include "proxy/engine/cache/download_file.h"

#include "proxy/engine/cache/file_recycler.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace ql {
namespace {

bool &UnnamedAllowed() {
  static bool allowed = true;
  return allowed;
}

// An unnamed file is linked into place through its /proc entry, so it is only of use when
// /proc is there.
bool ProcFdAvailable() {
  static const bool available = ::access("/proc/self/fd", X_OK) == 0;
  return available;
}

} // namespace

TDownloadFile::TDownloadFile(QString fallbackPath, TFileRecycler *recycler)
    : fallback_path_(std::move(fallbackPath)), recycler_(recycler) {}

void TDownloadFile::SetUnnamedFilesForTest(bool allowed) {
  UnnamedAllowed() = allowed;
}

bool TDownloadFile::Create() {
  Discard();
  size_ = 0;
  if (OpenSpare())
    return true;
  if (UnnamedAllowed() && ProcFdAvailable()) {
    const QByteArray dir = QFile::encodeName(QFileInfo(fallback_path_).path());
    fd_ = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0)
      return true;
  }
  fd_ = CreateNewFile(QFile::encodeName(fallback_path_));
  named_ = fd_ >= 0;
  path_ = QFile::encodeName(fallback_path_);
  return named_;
}

bool TDownloadFile::OpenSpare() {
  if (recycler_ == nullptr)
    return false;
  const QByteArray spare = recycler_->TakeSpare();
  if (spare.isEmpty())
    return false;
  // A spare is empty and ours alone; one that is not (another name was linked to it, or it was
  // written to meanwhile) is not written through.
  const int fd = ::open(spare.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  struct stat file {};
  if (fd >= 0 && ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && file.st_nlink == 1 &&
      (file.st_size == 0 || ::ftruncate(fd, 0) == 0)) {
    fd_ = fd;
    named_ = true;
    path_ = spare;
    return true;
  }
  if (fd >= 0)
    ::close(fd);
  ::unlink(spare.constData());
  return false;
}

bool TDownloadFile::Write(const char *bytes, int64_t n) {
  if (fd_ < 0)
    return false;
  std::size_t written = 0;
  const bool ok = WriteAll(fd_, bytes, static_cast<std::size_t>(n), &written);
  size_ += static_cast<int64_t>(written);
  return ok;
}

QString TDownloadFile::ReadPath() const {
  if (named_)
    return QFile::decodeName(path_);
  if (fd_ < 0)
    return fallback_path_;
  return QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

bool TDownloadFile::LinkTo(const QByteArray &target) const {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
  return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0;
}

bool TDownloadFile::MoveTo(const QString &target, bool replacing) {
  if (fd_ < 0)
    return false;
  const QByteArray to = QFile::encodeName(target);
  if (named_) {
    if (::rename(path_.constData(), to.constData()) != 0)
      return false;
    named_ = false;
  } else if (replacing || !LinkTo(to)) {
    if (!replacing && errno != EEXIST)
      return false;
    // A name is there already: the file takes a name of its own first and then replaces the
    // old one in one rename, which never writes through a link found under either name.
    const QByteArray own = QFile::encodeName(fallback_path_);
    if (!LinkTo(own) && !(errno == EEXIST && ::unlink(own.constData()) == 0 && LinkTo(own)))
      return false;
    if (::rename(own.constData(), to.constData()) != 0) {
      ::unlink(own.constData());
      return false;
    }
  }
  ::close(fd_);
  fd_ = -1;
  return true;
}

void TDownloadFile::Discard() {
  if (fd_ < 0)
    return;
  const int fd = std::exchange(fd_, -1);
  const bool named = std::exchange(named_, false);
  if (recycler_ != nullptr && named) {
    ::close(fd);
    recycler_->Remove(path_);
  } else if (recycler_ != nullptr) {
    recycler_->RemoveUnnamed(fd);
  } else {
    ::close(fd);
    if (named)
      ::unlink(path_.constData());
  }
}

} // namespace ql
