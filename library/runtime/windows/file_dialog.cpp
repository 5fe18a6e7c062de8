#include "library/runtime/windows/file_dialog.h"

#include <QStringList>
#include <utility>

namespace vx {

namespace {

FileDialogHandler &Handler() {
  static FileDialogHandler handler;
  return handler;
}

} // namespace

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

QString QtFilterText(const QString &filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return entries.join(QStringLiteral(";;"));
}

bool FILEDIALOG(const QString &title, QString &fileName, const QString &filter, bool save) {
  if (!Handler())
    return false;
  const std::optional<QString> chosen = Handler()(FileDialogRequest{title, fileName, filter, save});
  if (!chosen)
    return false;
  fileName = *chosen;
  return true;
}

} // namespace vx
