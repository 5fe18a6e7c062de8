#include "proxy/engine/http/file_sync.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ql {

bool WriteAll(int fd, const char *data, std::size_t size, std::size_t *written) {
  std::size_t done = 0;
  bool ok = true;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (written)
    *written = done;
  return ok;
}

bool SyncDirectory(const QString &dir) {
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool RemoveFileIfExists(const QString &path) {
  const QByteArray name = QFile::encodeName(path);
  return ::unlink(name.constData()) == 0 || errno == ENOENT;
}

} // namespace ql
