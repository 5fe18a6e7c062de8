#include "proxy/platform/file_dialogs.h"

#include "proxy/platform/message_dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include <cstdio>

namespace ql {
namespace {

FileDialogs *&Installed() {
  static FileDialogs *service = nullptr;
  return service;
}

// The folder of the file last chosen in a dialog of this run; empty before the first.
QString &LastFolder() {
  static QString folder;
  return folder;
}

bool IsFolder(const QString &path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

// A dialog starts in the folder it names, else where the user last chose a file, else in the
// user's home folder: never in the folder the process happens to run in, which is the
// program's own.
QString StartFolder(const QString &named) {
  if (IsFolder(named))
    return named;
  if (IsFolder(LastFolder()))
    return LastFolder();
  return QDir::homePath();
}

} // namespace

FileDialogs *SetFileDialogs(FileDialogs *service) {
  FileDialogs *previous = Installed();
  Installed() = service;
  return previous;
}

FileDialogAnswer RunFileDialog(const FileDialogRequest &request) {
  FileDialogs *service = Installed();
  if (service == nullptr) {
    qWarning().noquote() << "File dialog with no dialog service installed:" << request.title;
    return {};
  }
  if (service->NeedsDisplay() && !DisplayAvailable()) {
    std::fprintf(stderr, "%s: no display, cancelled\n", qPrintable(request.title));
    std::fflush(stderr);
    return {};
  }
  FileDialogRequest shown = request;
  shown.directory = StartFolder(request.directory);
  const FileDialogAnswer answer = service->Show(shown);
  if (answer.accepted)
    LastFolder() = QFileInfo(answer.path).absolutePath();
  return answer;
}

} // namespace ql
