#include "proxy/platform/file_dialogs.h"

#include <QtDebug>

namespace ql {
namespace {

FileDialogs *&Installed() {
  static FileDialogs *service = nullptr;
  return service;
}

} // namespace

FileDialogs *SetFileDialogs(FileDialogs *service) {
  FileDialogs *previous = Installed();
  Installed() = service;
  return previous;
}

FileDialogAnswer RunFileDialog(const FileDialogRequest &request) {
  if (FileDialogs *service = Installed())
    return service->Show(request);
  qWarning().noquote() << "File dialog with no dialog service installed:" << request.title;
  return {};
}

} // namespace ql
