#pragma once

#include <QString>

namespace ql {

// The registry keys and values of the browsers and of the saved proxy setting. All below
// HKEY_CURRENT_USER except kIEAppPathsKey, which is below HKEY_LOCAL_MACHINE.
namespace browser_keys {

inline const QString kIEAppPathsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE");
inline const QString kIESettingsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
inline const QString kNetscapeMainKey = QStringLiteral("Software\\Netscape\\Netscape Navigator\\Main");
inline const QString kNetscapeCacheKey = QStringLiteral("Software\\Netscape\\Netscape Navigator\\Cache");
inline const QString kNetscapeBookmarksKey =
    QStringLiteral("Software\\Netscape\\Netscape Navigator\\Bookmark List");
inline const QString kNetscapeProxyKey =
    QStringLiteral("Software\\Netscape\\Netscape Navigator\\Proxy Information");
inline const QString kSavedProxyKey = QStringLiteral("Software\\Ostwick\\Quenlark\\Saved Proxy Information");

inline const QString kProxyServer = QStringLiteral("ProxyServer");
inline const QString kProxyEnable = QStringLiteral("ProxyEnable");
inline const QString kHttpProxy = QStringLiteral("HTTP_Proxy");
inline const QString kHttpProxyPort = QStringLiteral("Http_ProxyPort");
inline const QString kProxyType = QStringLiteral("Proxy Type");

} // namespace browser_keys
} // namespace ql
