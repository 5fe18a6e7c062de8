#include "proxy/platform/top_level_windows.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace ql {

namespace {

constexpr char kEntrySuffix[] = ".window";
// Title and class name are at most 255 characters each; anything longer is not an entry.
constexpr qsizetype kMaxEntryBytes = 2048;

int OpenCloseOnExec(const QString &path, int flags) {
  return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
}

bool WriteAll(int fd, const QByteArray &bytes) {
  qsizetype at = 0;
  while (at < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + at, static_cast<std::size_t>(bytes.size() - at));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    at += n;
  }
  return true;
}

QByteArray ReadBounded(int fd) {
  QByteArray bytes(kMaxEntryBytes + 1, '\0');
  qsizetype got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    got += n;
  }
  bytes.truncate(got);
  return bytes;
}

// An entry is the title and the class name, each followed by a line feed.
bool ParseEntry(const QByteArray &bytes, TTopLevelWindow &window) {
  if (bytes.size() > kMaxEntryBytes || !bytes.endsWith('\n'))
    return false;
  const QList<QByteArray> lines = bytes.chopped(1).split('\n');
  if (lines.size() != 2)
    return false;
  window.title = QString::fromUtf8(lines[0]);
  window.className = QString::fromUtf8(lines[1]);
  return true;
}

QString OneLine(const QString &text) {
  QString line = text.left(255);
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line;
}

} // namespace

TTopLevelWindows::TTopLevelWindows(QString directory) : directory_(std::move(directory)) {}

TTopLevelWindows::~TTopLevelWindows() {
  for (std::size_t i = 0; i < entryFds_.size(); ++i) {
    ::unlink(QFile::encodeName(entryPaths_[i]).constData());
    ::close(entryFds_[i]);
  }
  Unlock();
}

QString TTopLevelWindows::RegisterDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
         QStringLiteral("/quenlark/windows");
}

bool TTopLevelWindows::Lock() {
  if (lockFd_ >= 0)
    return true;
  if (!QDir().mkpath(directory_))
    return false;
  QFile::setPermissions(directory_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  const int fd = OpenCloseOnExec(directory_ + QStringLiteral("/register.lock"), O_RDWR | O_CREAT);
  if (fd < 0)
    return false;
  int result;
  do {
    result = ::flock(fd, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    ::close(fd);
    return false;
  }
  lockFd_ = fd;
  return true;
}

void TTopLevelWindows::Unlock() {
  if (lockFd_ < 0)
    return;
  ::flock(lockFd_, LOCK_UN);
  ::close(lockFd_);
  lockFd_ = -1;
}

bool TTopLevelWindows::Register(const TTopLevelWindow &window) {
  if (!QDir().mkpath(directory_))
    return false;
  // Names are unique among the live processes; a file of the same name left by an ended
  // process with this process id is unlocked and taken over.
  static int serial = 0;
  const QString path = QStringLiteral("%1/%2-%3%4")
                           .arg(directory_)
                           .arg(::getpid())
                           .arg(serial++)
                           .arg(QLatin1String(kEntrySuffix));
  const int fd = OpenCloseOnExec(path, O_RDWR | O_CREAT);
  if (fd < 0)
    return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  const QByteArray entry = OneLine(window.title).toUtf8() + '\n' + OneLine(window.className).toUtf8() + '\n';
  if (::ftruncate(fd, 0) != 0 || !WriteAll(fd, entry)) {
    ::close(fd);
    ::unlink(QFile::encodeName(path).constData());
    return false;
  }
  entryFds_.push_back(fd);
  entryPaths_.push_back(path);
  return true;
}

void TTopLevelWindows::EnumWindows(const std::function<bool(const TTopLevelWindow &)> &visit) {
  const QStringList names =
      QDir(directory_)
          .entryList({QStringLiteral("*") + QLatin1String(kEntrySuffix)}, QDir::Files, QDir::Name);
  for (const QString &name : names) {
    const QString path = directory_ + QLatin1Char('/') + name;
    const int fd = OpenCloseOnExec(path, O_RDONLY);
    if (fd < 0)
      continue;
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
      // Nobody holds the entry: its process has ended.
      ::unlink(QFile::encodeName(path).constData());
      ::close(fd);
      continue;
    }
    TTopLevelWindow window;
    const bool whole = ParseEntry(ReadBounded(fd), window);
    ::close(fd);
    if (whole && !visit(window))
      return;
  }
}

} // namespace ql
