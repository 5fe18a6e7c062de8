#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/program_launch.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QCoreApplication>

#include <cstdio>
#include <stdexcept>

namespace ql {

void TBrowserConfig::StartBrowser(TBrowserDde &dde) {
  try {
    ChDirToProgramDir();
  } catch (const std::runtime_error &) {
  }
  if (GetBrowserWindowInfo(dde)) {
    QCoreApplication::processEvents();
    dde.ActivateBrowser();
    return;
  }
  if (EngineSettings.AutoLocateBrowser) {
    PointBrowserAtProxy();
    LaunchBrowser();
    return;
  }
  const QString general = QStringLiteral("General");
  QString command = settings_.ReadString(general, QStringLiteral("BrowserPath"), QString());
  if (settings_.ReadBool(general, QStringLiteral("NewsUpdated"), false)) {
    command += QLatin1Char(' ') + QLatin1String(kNewsAddress);
    try {
      settings_.WriteBool(general, QStringLiteral("NewsUpdated"), false);
    } catch (const RegistryError &) {
    }
  } else if (EngineSettings.ShowBookmarks) {
    command += QStringLiteral(" http://") + QLatin1String(kPseudoHost) + QStringLiteral("/bookmarks");
  }
  LaunchProgram(command);
}

void TBrowserConfig::PointBrowserAtProxy() {
  if (!BrowserProxyIsLocal())
    SaveBrowserProxy();
  SetBrowserProxy(QStringLiteral("127.0.0.1"), EngineSettings.HTTPProxyPort, kManualProxy);
}

bool TBrowserConfig::OpenUrlByCommand(const QByteArray &url) {
  QString command;
  if (EngineSettings.AutoLocateBrowser) {
    command = GetBrowserPath();
    // The located executable is a path, which may hold blanks.
    if (command.contains(QLatin1Char(' ')))
      command = QLatin1Char('"') + command + QLatin1Char('"');
  } else {
    command = settings_.ReadString(QStringLiteral("General"), QStringLiteral("BrowserPath"), QString());
  }
  if (command.trimmed().isEmpty())
    return false;
  if (url.startsWith('-')) {
    std::fprintf(stderr, "The address %s is not handed to the browser: it would be read as an option.\n",
                 url.constData());
    return true;
  }
  try {
    ChDirToProgramDir();
  } catch (const std::runtime_error &) {
  }
  if (EngineSettings.AutoLocateBrowser)
    PointBrowserAtProxy();
  const UINT result = LaunchProgramWith(command, {QString::fromUtf8(url)});
  if (result < 32) {
    MessageDlg(QStringLiteral("Unenable to start browser. Error code %1.").arg(result), DialogKind::Error,
               DialogButtons::Ok);
  }
  return true;
}

} // namespace ql
