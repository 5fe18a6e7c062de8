#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/program_launch.h"

namespace ql {

UINT TBrowserConfig::LaunchBrowser() {
  QString command = GetBrowserPath();
  // The located executable is a path, which may hold blanks.
  if (command.contains(QLatin1Char(' ')))
    command = QLatin1Char('"') + command + QLatin1Char('"');
  if (!PlainBrowserStart) {
    if (CheckNewsUpdated())
      command += QLatin1Char(' ') + QLatin1String(kNewsAddress);
    else if (EngineSettings.ShowBookmarks)
      command += QStringLiteral(" http://") + QLatin1String(kPseudoHost) + QStringLiteral("/bookmarks");
  }
  const UINT result = LaunchProgram(command);
  if (result < 32) {
    MessageDlg(QStringLiteral("Unenable to start browser. Error code %1.").arg(result), DialogKind::Error,
               DialogButtons::Ok);
  }
  return result;
}

} // namespace ql
