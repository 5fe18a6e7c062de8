#include "proxy/windows/qt_file_dialogs.h"

#include "proxy/platform/file_dialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace ql {
namespace {

// "Text (*.txt)|*.txt|Netscape Cache File|fat;fat.db" as Qt's name filters: the description,
// followed by its patterns in parentheses unless it shows them already.
QStringList NameFilters(const QString &filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns =
        parts[i + 1].trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    filters << (description.contains(QLatin1Char('('))
                    ? description
                    : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return filters;
}

class QtFileDialogs : public FileDialogs {
public:
  FileDialogAnswer Show(const FileDialogRequest &request) override {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.directory);
    const bool save = request.kind == FileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = NameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
      dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.fileName.isEmpty())
      dialog.selectFile(request.fileName);
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
      return answer;
    answer.accepted = true;
    answer.path = dialog.selectedFiles().constFirst();
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1)
      answer.filterIndex = 1;
    return answer;
  }
};

} // namespace

void InstallQtFileDialogs() {
  static QtFileDialogs service;
  SetFileDialogs(&service);
}

} // namespace ql
