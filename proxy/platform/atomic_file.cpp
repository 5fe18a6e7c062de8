#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {
namespace {

std::function<void(const QString &)> &InterruptHook() {
  static std::function<void(const QString &)> hook;
  return hook;
}

[[noreturn]] void Fail(const char *step, const QString &path, int error) {
  throw FileWriteError(std::string("Cannot ") + step + " " + path.toStdString() + ": " +
                       std::strerror(error));
}

void WriteAll(int fd, const QByteArray &data, const QString &path) {
  const char *p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      int error = n < 0 ? errno : EIO;
      ::close(fd);
      Fail("write", path, error);
    }
    p += n;
    left -= n;
  }
}

} // namespace

int CreateNewFile(const QByteArray &path) {
  ::unlink(path.constData());
  return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

int CreateFileBeside(const QString &target, QString *path) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const QFileInfo info(target);
  const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.');
  for (int attempt = 0; attempt < 100; ++attempt) {
    QString name = stem;
    for (int i = 0; i < 8; ++i)
      name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    const int fd = ::open(QFile::encodeName(name).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      if (fd >= 0)
        *path = name;
      return fd;
    }
  }
  return -1;
}

int OpenForAppend(const QByteArray &path, int flags) {
  // O_NONBLOCK: a named pipe planted under the name must not hold the program up.
  const int fd = ::open(path.constData(), flags | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0)
    return -1;
  struct stat facts {};
  int refusal = 0;
  if (::fstat(fd, &facts) != 0)
    refusal = errno;
  else if (!S_ISREG(facts.st_mode))
    refusal = EINVAL;
  else if (facts.st_nlink != 1)
    refusal = EMLINK;
  if (refusal != 0) {
    ::close(fd);
    errno = refusal;
    return -1;
  }
  return fd;
}

void WriteFileAtomically(const QString &path, const QByteArray &data) {
  const QString dir = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(dir))
    Fail("create the directory", dir, errno);
  const QString temp = path + QStringLiteral(".tmp");
  const QByteArray tempName = QFile::encodeName(temp);
  int fd = CreateNewFile(tempName);
  if (fd < 0)
    Fail("create", temp, errno);
  WriteAll(fd, data, temp);
  if (::fsync(fd) != 0) {
    int error = errno;
    ::close(fd);
    Fail("sync", temp, error);
  }
  if (::close(fd) != 0)
    Fail("close", temp, errno);
  if (InterruptHook())
    InterruptHook()(temp);
  if (::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
    Fail("replace", path, errno);
  int dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void SetAtomicWriteInterruptForTest(std::function<void(const QString &tempPath)> hook) {
  InterruptHook() = std::move(hook);
}

} // namespace ql
