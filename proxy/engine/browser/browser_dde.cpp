#include "proxy/engine/browser/browser_dde.h"

namespace ql {

QString DDEServiceName = QStringLiteral("NETSCAPE");

QString NextDDEServiceName(const QString &name) {
  if (name == QLatin1String("NETSCAPE"))
    return QStringLiteral("IEXPLORE");
  if (name == QLatin1String("IEXPLORE"))
    return QStringLiteral("MOSAIC");
  return QStringLiteral("NETSCAPE");
}

bool GetBrowserWindowInfo(TBrowserDde &dde) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (dde.OpenLink(DDEServiceName, QStringLiteral("WWW_GetWindowInfo")))
      return true;
    DDEServiceName = NextDDEServiceName(DDEServiceName).left(8);
  }
  return false;
}

} // namespace ql
