#include "library/runtime/data/atomic_file.h"

#include "library/runtime/data/new_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

namespace {

bool Fail(QString *error, const QString &what) {
  if (error)
    *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
  return false;
}

bool WriteAll(int fd, QByteArrayView data) {
  const char *p = data.data();
  qsizetype left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

void SyncFolder(const QByteArray &folder) {
  int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

bool WriteFileAtomically(const QString &path, QByteArrayView data, QString *error) {
  const QByteArray target = QFile::encodeName(path);
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  QByteArray temp = target + ".tmp-XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0)
    return Fail(error, QStringLiteral("cannot create a temporary file beside %1").arg(path));

  // A symbolic link at the path is replaced by the file, never written through; its
  // target's mode is not taken either.
  struct stat old {};
  const bool exists = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && ::rename(temp.constData(), target.constData()) == 0) {
    SyncFolder(folder);
    return true;
  }
  if (ok)
    savedErrno = errno;
  ::unlink(temp.constData());
  errno = savedErrno;
  return Fail(error, QStringLiteral("cannot write %1").arg(path));
}

} // namespace vx
