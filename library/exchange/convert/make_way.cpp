#include "library/exchange/convert/make_way.h"

#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vx {

namespace {

constexpr int kBackups = 100;

// Whether the file holds no record; false too when it cannot be opened or read.
bool OpensEmpty(KeyedFile &file) {
  OPEN(file);
  if (ERRORCODE() != 0)
    return false;
  const qint64 records = RECORDS(file);
  const bool empty = ERRORCODE() == 0 && records == 0;
  CLOSE(file);
  return empty;
}

// The first backup name beside `path` that no file has; empty when all are taken.
QString FreeBackupName(const QString &path) {
  const QFileInfo info(path);
  for (int i = 0; i < kBackups; ++i) {
    const QString suffix =
        i == 0 ? QStringLiteral("BAK") : QStringLiteral("B%1").arg(i, 2, 10, QLatin1Char('0'));
    const QString candidate = info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix);
    if (!QFileInfo::exists(candidate))
      return candidate;
  }
  return {};
}

// Renames `from` to `to` and syncs the folder, so that the new name survives a crash.
bool RenameDurably(const QString &from, const QString &to, QString *error) {
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  const int fd = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

// Keeps the file (and a journal left beside it) under a backup name; false after a message.
bool KeepAside(const KeyedFile &file, const QString &path) {
  const QString backup = FreeBackupName(path);
  QString error = QStringLiteral("no free backup name");
  if (backup.isEmpty() || !RenameDurably(path, backup, &error)) {
    MESSAGE(QStringLiteral("%1 holds data and could not be kept aside (%2).  It is left as it is, and the "
                           "conversion will be offered again at the next start.")
                .arg(file.name(), error),
            QStringLiteral("New version detected!"), MessageIcon::Exclamation, BUTTON_OK);
    return false;
  }
  const QString journal = path + QStringLiteral("-journal");
  if (QFileInfo::exists(journal))
    RenameDurably(journal, backup + QStringLiteral("-journal"), &error);
  MESSAGE(QStringLiteral("%1 already held data.  It was kept as %2, and the conversion writes a new %1.")
              .arg(file.name(), QFileInfo(backup).fileName()),
          QStringLiteral("New version detected!"), MessageIcon::Asterisk, BUTTON_OK);
  return true;
}

} // namespace

bool MakeWayForConversion(DataFile &file) {
  if (file.isOpen()) {
    SetError(52, file.name());
    ShowStandardMessage1(30, file.name());
    return false;
  }
  const QString path = QDir::current().absoluteFilePath(file.name());
  if (QFileInfo::exists(path) && !OpensEmpty(file) && !KeepAside(file, path))
    return false;
  CREATE(file);
  if (ERRORCODE() != 0) {
    ShowStandardMessage1(4, file.name());
    return false;
  }
  return true;
}

} // namespace vx
