#pragma once

#include "proxy/platform/registry_key.h"

#include <QByteArray>
#include <QString>

namespace ql {

// The two root keys that the registry file holds.
struct RegistryRoots {
  RegistryKey currentUser{QStringLiteral("HKEY_CURRENT_USER"), {}, {}};
  RegistryKey localMachine{QStringLiteral("HKEY_LOCAL_MACHINE"), {}, {}};
};

// The registry file's text, UTF-8, in the .reg export style:
//   ; comment
//   [HKEY_CURRENT_USER\Software\Ostwick\Quenlark\Network]
//   "HTTPProxyPort"="1234"
//   "Count"=dword:000004d2
//   "Data"=hex:01,02,ff
//   @="the key's default value"
// Inside quotes, \\ \" \n \r and \xHH are escapes. The first line that is not blank or a comment
// may be a .reg header, "Windows Registry Editor Version 5.00" or "REGEDIT4"; it is skipped.

// Parses text into roots (which should start empty). On a malformed line returns false
// with error naming the line, e.g. "line 7: unknown root key \"HKEY_USERS\"".
bool ParseRegistryText(const QByteArray &text, RegistryRoots &roots, QString &error);

// The text of the whole tree; every key gets its own [key] line, so empty keys survive.
QByteArray FormatRegistryText(const RegistryRoots &roots);

} // namespace ql
