#include "proxy/platform/program_launch.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ql {

UINT LaunchProgram(const QString &commandLine) {
  return LaunchProgramWith(commandLine, {});
}

UINT LaunchProgramWith(const QString &commandLine, const QStringList &arguments) {
  QStringList words = QProcess::splitCommand(commandLine);
  if (words.isEmpty() || words.front().isEmpty())
    return kLaunchFileNotFound;
  QString program = words.takeFirst();
  words += arguments;
  if (program.contains(QLatin1Char('\\')) || program.contains(QLatin1Char('/'))) {
    program.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo file(program);
    if (!file.exists())
      return file.dir().exists() ? kLaunchFileNotFound : kLaunchPathNotFound;
    if (!file.isFile() || !file.isExecutable())
      return kLaunchBadFormat;
  } else {
    program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
      return kLaunchFileNotFound;
  }
  QProcess process;
  process.setProgram(program);
  process.setArguments(words);
  process.setWorkingDirectory(QDir::currentPath());
  process.setStandardInputFile(QProcess::nullDevice());
  return process.startDetached() ? kLaunchStarted : kLaunchOutOfResources;
}

} // namespace ql
