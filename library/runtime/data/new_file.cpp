#include "library/runtime/data/new_file.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

mode_t NewFileMode() {
  // Read from the process's status, since umask() can only read the mask by changing it,
  // which would let another thread create a file under the wrong mask meanwhile.
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    for (QByteArray line = status.readLine(256); !line.isEmpty(); line = status.readLine(256)) {
      if (line.startsWith("Umask:")) {
        bool ok = false;
        const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok)
          return mode_t(0666 & ~mask);
      }
    }
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mode_t(0666 & ~mask);
}

int CreateIfMissing(const QByteArray &path) {
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0)
    return errno;
  ::close(fd);
  return 0;
}

bool IsSymbolicLink(const QByteArray &path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace vx
