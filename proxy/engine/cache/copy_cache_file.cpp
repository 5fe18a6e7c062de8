#include "proxy/engine/cache/copy_cache_file.h"

#include "proxy/engine/http/file_sync.h"
#include "proxy/engine/http/paths.h"
#include "proxy/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

// Reads from in and writes to out until the end of in.
bool CopyBytes(int in, int out) {
  char piece[65536];
  for (;;) {
    const ssize_t n = ::read(in, piece, sizeof piece);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0)
      return true;
    if (!WriteAll(out, piece, static_cast<std::size_t>(n)))
      return false;
  }
}

} // namespace

bool CopyCacheFile(const QString &source, const QString &target) {
  const QByteArray from = QFile::encodeName(FileSystemPath(source));
  const QString to = FileSystemPath(target);
  const QByteArray toName = QFile::encodeName(to);
  const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return false;
  QString tempPath;
  const int out = CreateFileBeside(to, &tempPath);
  if (out < 0) {
    ::close(in);
    return false;
  }
  const QByteArray temp = QFile::encodeName(tempPath);
  struct stat old {};
  bool ok = ::stat(toName.constData(), &old) != 0 || ::fchmod(out, old.st_mode & 07777) == 0;
  ok = ok && CopyBytes(in, out) && ::fsync(out) == 0;
  ::close(in);
  ok = ::close(out) == 0 && ok;
  ok = ok && ::rename(temp.constData(), toName.constData()) == 0;
  if (!ok) {
    ::unlink(temp.constData());
    return false;
  }
  SyncDirectory(QFileInfo(to).absolutePath());
  return true;
}

} // namespace ql
