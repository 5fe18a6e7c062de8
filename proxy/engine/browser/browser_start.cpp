#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/pages/proxy_pages.h"
#include "proxy/platform/program_launch.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QCoreApplication>

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
    if (!BrowserProxyIsLocal())
      SaveBrowserProxy();
    SetBrowserProxy(QStringLiteral("127.0.0.1"), EngineSettings.HTTPProxyPort, kManualProxy);
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

} // namespace ql
