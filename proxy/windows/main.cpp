// The proxy program: sets up the message and file dialogs, the stop signals (SIGINT, SIGTERM end the
// event loop) and the test hooks, then runs the program's start, event loop and end.
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
  ql::TStopSignals stopSignals;

  const ql::Registry &registry = ql::Registry::Instance();
  if (!registry.LoadError().isEmpty()) {
    PrintLine(registry.LoadError());
  }
  ql::ApplyTestHooks();
  return ql::ProgramMain();
}
