#include "proxy/engine/cache/download_file.h"

#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

TDownloadFile::TDownloadFile(QString fallbackPath) : fallback_path_(std::move(fallbackPath)) {}

void TDownloadFile::SetUnnamedFilesForTest(bool allowed) {
  UnnamedAllowed() = allowed;
}

bool TDownloadFile::Create() {
  Discard();
  size_ = 0;
  if (UnnamedAllowed() && ProcFdAvailable()) {
    const QByteArray dir = QFile::encodeName(QFileInfo(fallback_path_).path());
    fd_ = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0)
      return true;
  }
  fd_ = CreateNewFile(QFile::encodeName(fallback_path_));
  named_ = fd_ >= 0;
  return named_;
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
  if (named_ || fd_ < 0)
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
    if (::rename(QFile::encodeName(fallback_path_).constData(), to.constData()) != 0)
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
  ::close(fd_);
  fd_ = -1;
  if (named_)
    ::unlink(QFile::encodeName(fallback_path_).constData());
  named_ = false;
}

} // namespace ql
