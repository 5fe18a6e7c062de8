// The proxy program: opens the settings store, starts the engine's network window and
// runs the event loop until the program is told to stop (SIGINT, SIGTERM). Leaving the
// loop destroys the network window, which stops the engine in its fixed order.
#include "proxy/engine/net/network_window.h"
#include "proxy/engine/net/test_hooks.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/qt_message_dialogs.h"
#include "proxy/windows/stop_signals.h"

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>

namespace {

// ${XDG_DATA_HOME:-$HOME/.local/share}/quenlark/Cache/
QString DefaultDataDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/quenlark/Cache/");
}

void PrintLine(const QString &line) {
  std::fprintf(stderr, "%s\n", qPrintable(line));
  std::fflush(stderr);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quenlark"));
  ql::InstallQtMessageDialogs();
  ql::TStopSignals stopSignals;

  const ql::Registry &registry = ql::Registry::Instance();
  if (!registry.LoadError().isEmpty()) {
    PrintLine(registry.LoadError());
  }
  ql::TRegIniFile settings(ql::kQuenlarkSettingsKey);
  ql::ApplyTestHooks();
  ql::TProxyRoad road(settings);

  ql::TNetworkWindowSetup setup;
  setup.settings = &settings;
  setup.dataDirectory =
      settings.ReadString(QStringLiteral("Cache"), QStringLiteral("Path"), DefaultDataDirectory());
  setup.parameters = QApplication::arguments().mid(1);
  setup.links = road.Links();

  ql::TForm1 form(setup);
  for (const QString &line : form.EngineLog().Lines()) {
    PrintLine(line);
  }
  QObject::connect(&form.EngineLog(), &ql::TEngineLog::lineAdded, &PrintLine);
  if (form.Halted()) {
    return 1;
  }
  if (ql::TStopSignals::Requested()) {
    return 0;
  }
  return QApplication::exec();
}
