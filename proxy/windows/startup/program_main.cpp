#include "proxy/windows/startup/program_main.h"

#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/platform/top_level_windows.h"
#include "proxy/windows/control_bar/control_form.h"
#include "proxy/windows/startup/engine_window.h"
#include "proxy/windows/startup/program_windows.h"
#include "proxy/windows/startup/splash_form.h"
#include "proxy/windows/stop_signals.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <memory>

namespace ql {

namespace {

int InstanceCount = 0;

// Counts the windows of running instances of the program.
bool CountInstanceWindows(const TTopLevelWindow &window) {
  if (window.title.left(255).toLower() == QLatin1String("quenlark") &&
      window.className.left(255).toLower() == QLatin1String("tapplication"))
    ++InstanceCount;
  return true;
}

// Registers the application window and tells whether it is the only instance's. A register
// that cannot be used lets the program run, with a line on standard error.
bool PassesInstanceTest(TTopLevelWindows &windows) {
  if (!windows.Lock() ||
      !windows.Register({QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                         QStringLiteral("TApplication")})) {
    std::fprintf(stderr, "The register of running programs in %s cannot be used.\n",
                 qPrintable(TTopLevelWindows::RegisterDirectory()));
    return true;
  }
  InstanceCount = 0;
  windows.EnumWindows(CountInstanceWindows);
  windows.Unlock();
  return InstanceCount == 1;
}

// "/r": the browser's proxy setting of the chosen browser is put back.
void RestoreBrowserFromCommandLine() {
  TRegIniFile settings(kQuenlarkSettingsKey);
  EngineSettings.UseIExplore =
      settings.ReadBool(QStringLiteral("General"), QStringLiteral("UseIExplore"), false);
  TBrowserConfig(Registry::Instance(), settings).RestoreBrowserSettings();
}

// ${XDG_DATA_HOME:-$HOME/.local/share}/quenlark/Cache/
QString DefaultDataDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/quenlark/Cache/");
}

} // namespace

void RestoreBrowserWithoutWindows(const QString &registryPath) {
  Registry registry(registryPath);
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  const QString general = QStringLiteral("General");
  if (settings.ReadBool(general, QStringLiteral("AutoStartBrowser"), false) ||
      settings.ReadBool(general, QStringLiteral("RestoreBrowserOnExit"), true))
    TBrowserConfig(registry, settings).RestoreBrowserSettings();
}

int ProgramMain(TStopSignals &stopSignals) {
  TTopLevelWindows topLevelWindows;
  if (!PassesInstanceTest(topLevelWindows))
    return 0;
  const QStringList parameters = QCoreApplication::arguments().mid(1);
  for (const QString &parameter : parameters) {
    if (parameter == QLatin1String("/r") || parameter == QLatin1String("/R")) {
      RestoreBrowserFromCommandLine();
      return 0;
    }
  }

  // The program ends by Exit, a stop signal or the end of the session, never because its
  // last window closed.
  QApplication::setQuitOnLastWindowClosed(false);
  auto splash = std::make_unique<TSplashForm>();
  splash->show();
  splash->repaint();
  // The application's title is its name, "Quenlark" (set by main).
  QCoreApplication::processEvents();
  HelpFilePath();

  TProgramWindows windows(Registry::Instance(), DefaultDataDirectory(), parameters);
  if (windows.Halted())
    return 1;
  splash.reset();

  TControlForm &controlForm = windows.ControlForm();
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, &controlForm, [&controlForm] {
    controlForm.ExitSteps();
    QCoreApplication::quit();
  });
  // A stop signal ends the program by the road of Exit, so that it records what Exit records.
  stopSignals.SetStopAction([&controlForm] { controlForm.ExitButtonClick(); });
  // Of the exit and a watchdog that gives up on it, only one restores the browser.
  controlForm.SetExitRestore(&stopSignals.ExitRestore());
  controlForm.show();
  // A stop signal that came during the start is seen here; later ones end the loop.
  int result = 0;
  if (TStopSignals::Requested())
    stopSignals.TakeUp();
  else
    result = QApplication::exec();
  stopSignals.SetStopAction({});
  controlForm.ExitSteps();
  return result;
}

} // namespace ql
