#include "proxy/engine/http/paths.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

namespace ql {
namespace {

QString &HelpFileText() {
  static QString text;
  return text;
}

} // namespace

QString FileSystemPath(const QString &path) {
  QString result = path;
  result.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return result;
}

void AddTrailingBackslash(QString &path) {
  qsizetype end = path.size();
  while (end > 0 && path[end - 1].unicode() <= 32)
    --end;
  path.truncate(end);
  if (!path.endsWith(QLatin1Char('\\')))
    path += QLatin1Char('\\');
}

QString ProgramDir() {
  QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  return QFileInfo(exe).absolutePath() + QLatin1Char('/');
}

void ChDirToProgramDir() {
  QString dir = ProgramDir();
  dir.chop(1);
  if (!QDir::setCurrent(dir))
    throw std::runtime_error("Cannot change to the program's directory " + dir.toStdString());
}

void HelpFilePath() {
  HelpFileText() = ProgramDir() + QStringLiteral("QUENLARK.HLP");
}

void SetHelpFile(const QString &path) {
  HelpFileText() = path;
}

QString HelpFile() {
  return HelpFileText();
}

} // namespace ql
