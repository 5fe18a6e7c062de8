#include "proxy/windows/setup/restrict_file.h"

#include "proxy/engine/http/paths.h"
#include "proxy/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ql {

namespace {

constexpr char kFileName[] = "restrict.dat";

// A directory the program may put a file into: it exists and new files can be made there.
bool CanCreateIn(const QString &directory) {
  const QFileInfo info(directory);
  return info.isDir() && info.isWritable();
}

} // namespace

TRestrictFile::TRestrictFile()
    : TRestrictFile(ProgramDir(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                      QStringLiteral("/quenlark")) {}

TRestrictFile::TRestrictFile(QString programDirectory, QString userDirectory)
    : programDirectory_(std::move(programDirectory)), userDirectory_(std::move(userDirectory)) {}

QString TRestrictFile::ProgramPath() const {
  return programDirectory_ + QLatin1Char('/') + QLatin1String(kFileName);
}

QString TRestrictFile::UserPath() const {
  return userDirectory_ + QLatin1Char('/') + QLatin1String(kFileName);
}

QString TRestrictFile::ReadPath() const {
  return QFileInfo::exists(UserPath()) ? UserPath() : ProgramPath();
}

QString TRestrictFile::ReadText() const {
  QFile file(ReadPath());
  if (!file.open(QIODevice::ReadOnly))
    return {};
  // A character takes at most four bytes, so this holds every character kept.
  QString text = QString::fromUtf8(file.read(qint64{kMaxText} * 4)).left(kMaxText);
  text.remove(QLatin1Char('\r'));
  return text;
}

QList<QByteArray> TRestrictFile::ReadLines() const {
  QList<QByteArray> lines;
  for (const QString &line : ReadText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    lines.append(line.toUtf8());
  return lines;
}

void TRestrictFile::WriteText(const QString &text) const {
  QByteArray data = text.left(kMaxText).toUtf8();
  data.replace("\r", "");
  if (!data.isEmpty() && !data.endsWith('\n'))
    data.append('\n');
  const bool useProgramDir = !QFileInfo::exists(UserPath()) && CanCreateIn(programDirectory_) &&
                             (!QFileInfo::exists(ProgramPath()) || QFileInfo(ProgramPath()).isWritable());
  if (useProgramDir) {
    try {
      WriteFileAtomically(ProgramPath(), data);
      return;
    } catch (const FileWriteError &) {
      // Falls back on the per-user copy below.
    }
  }
  WriteFileAtomically(UserPath(), data);
}

} // namespace ql
