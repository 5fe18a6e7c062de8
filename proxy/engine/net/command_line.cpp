#include "proxy/engine/net/command_line.h"

namespace ql {

void ReadCommandLine(const QStringList &parameters, QString &dataDirectory, bool &autoBrowseAtStart) {
  for (const QString &parameter : parameters) {
    const QString lower = parameter.toLower();
    if (lower.contains(QLatin1String("/c:"))) {
      QString directory = parameter.mid(3);
      qsizetype blanks = 0;
      while (blanks < directory.size() && directory.at(blanks) == QLatin1Char(' ')) {
        ++blanks;
      }
      directory.remove(0, blanks);
      if (directory.isEmpty()) {
        continue;
      }
      if (!directory.endsWith(QLatin1Char('\\')) && !directory.endsWith(QLatin1Char('/'))) {
        directory += QLatin1Char('\\');
      }
      dataDirectory = directory;
    } else if (lower.contains(QLatin1String("/a"))) {
      autoBrowseAtStart = true;
    }
  }
}

} // namespace ql
