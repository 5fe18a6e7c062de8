#include "proxy/platform/file_dialogs.h"

#include "proxy/platform/message_dialogs.h"

#include <QtDebug>

#include <cstdio>

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
  return service->Show(request);
}

} // namespace ql
