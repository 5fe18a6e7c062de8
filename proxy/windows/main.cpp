// The proxy program: sets up the message and file dialogs, the stop signals (SIGINT, SIGTERM end the
// program as Exit does, or from a watchdog when the window thread hangs) and the test hooks, then
// runs the program's start, event loop and end.
#include "proxy/engine/net/test_hooks.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/qt_file_dialogs.h"
#include "proxy/windows/qt_message_dialogs.h"
#include "proxy/windows/startup/program_main.h"
#include "proxy/windows/stop_signals.h"

#include <QApplication>

#include <cstdio>

namespace {

void PrintLine(const QString &line) {
  std::fprintf(stderr, "%s\n", qPrintable(line));
  std::fflush(stderr);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quenlark"));
  ql::InstallQtMessageDialogs();
  ql::InstallQtFileDialogs();
  // When the window thread does not answer a stop signal, the browser's proxy setting is put
  // back from the watchdog's thread before the program ends.
  ql::TStopSignals stopSignals(
      [registryPath = ql::Registry::DefaultPath()] { ql::RestoreBrowserWithoutWindows(registryPath); });

  const ql::Registry &registry = ql::Registry::Instance();
  if (!registry.LoadError().isEmpty()) {
    PrintLine(registry.LoadError());
  }
  ql::ApplyTestHooks();
  return ql::ProgramMain(stopSignals);
}
