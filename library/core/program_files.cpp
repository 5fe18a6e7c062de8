#include "library/core/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vx {

QString ProgramFile(const QString &name) {
  return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QIcon ProgramIcon(const QString &name) {
  const QString path = ProgramFile(name);
  return QFileInfo::exists(path) ? QIcon(path) : QIcon();
}

} // namespace vx
