#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace vx {

struct FileDialogRequest {
  QString title;
  QString fileName; // the name proposed
  QString filter;   // pairs "description|patterns|...", patterns separated by ";"
  bool save = false;
};

// Answers a file dialog with the chosen file's name, or nothing when it was cancelled. The
// program shows a real dialog; tests script the answer.
using FileDialogHandler = std::function<std::optional<QString>(const FileDialogRequest &)>;
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// Turns "HTML files|*.htm;*.html|All files|*.*" into Qt's "HTML files (*.htm *.html);;...".
QString QtFilterText(const QString &filter);

// FILEDIALOG(title, file, filter, save): lets the user choose a file; on a choice puts its
// name into `fileName` and returns true; on cancel leaves it and returns false.
bool FILEDIALOG(const QString &title, QString &fileName, const QString &filter, bool save = false);

} // namespace vx
