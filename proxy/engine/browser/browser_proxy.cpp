#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/registry.h"

#include <algorithm>

namespace ql {

using namespace browser_keys;

namespace {

constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;
// The saved host of a browser that had no proxy.
const QString kNoProxyHost = QStringLiteral("none");

// A number as a browser may keep it: a dword, a decimal text, or the first 4 bytes of a
// binary value (little-endian). False when the value is missing or holds no number.
bool ReadNumber(const Registry &registry, const QString &key, const QString &name, int &number) {
  try {
    if (!registry.ValueExists(kUser, key, name))
      return false;
    try {
      number = static_cast<int>(registry.ReadDword(kUser, key, name));
      return true;
    } catch (const RegistryError &) {
    }
    try {
      const QByteArray bytes = registry.ReadBinary(kUser, key, name);
      if (bytes.size() < 4)
        return false;
      number = static_cast<int>(static_cast<quint32>(static_cast<uchar>(bytes[0])) |
                                static_cast<quint32>(static_cast<uchar>(bytes[1])) << 8 |
                                static_cast<quint32>(static_cast<uchar>(bytes[2])) << 16 |
                                static_cast<quint32>(static_cast<uchar>(bytes[3])) << 24);
      return true;
    } catch (const RegistryError &) {
    }
    bool ok = false;
    number = registry.ReadString(kUser, key, name).trimmed().toInt(&ok);
    return ok;
  } catch (const RegistryError &) {
    return false;
  }
}

QString ReadText(const Registry &registry, const QString &key, const QString &name) {
  try {
    return registry.ReadString(kUser, key, name);
  } catch (const RegistryError &) {
    return {};
  }
}

// The leading digits of text as a port; 0 when there are none.
int LeadingPort(const QString &text) {
  qsizetype end = 0;
  while (end < text.size() && end < 5 && text[end].isDigit())
    ++end;
  return text.left(end).toInt();
}

struct TProxySetting {
  QString host;
  int port = 0;
  int kind = 0;
};

// Internet Explorer's proxy text: "host:port", or "http=host:port" and possibly the proxies of
// other protocols after ";". Only the HTTP proxy counts.
void SplitIEProxyText(QString text, TProxySetting &setting) {
  while (!text.isEmpty() && text.front().isSpace())
    text.remove(0, 1);
  const qsizetype http = text.indexOf(QLatin1String("http="), 0, Qt::CaseInsensitive);
  if (http >= 0)
    text = text.mid(http + 5);
  else if (text.contains(QLatin1Char('=')))
    text.clear(); // proxies for other protocols only
  text = text.section(QLatin1Char(';'), 0, 0).trimmed();
  const qsizetype colon = text.indexOf(QLatin1Char(':'));
  if (colon >= 0) {
    setting.host = text.left(colon);
    setting.port = LeadingPort(text.mid(colon + 1));
  } else {
    setting.host = text;
    setting.port = text.isEmpty() ? 0 : 80;
  }
}

} // namespace

bool TBrowserConfig::BrowserProxyIsLocal() const {
  const QString text = EngineSettings.UseIExplore ? ReadText(registry_, kIESettingsKey, kProxyServer)
                                                  : ReadText(registry_, kNetscapeProxyKey, kHttpProxy);
  return text.contains(QLatin1String("127.0.0.1"));
}

void TBrowserConfig::SaveBrowserProxy() {
  int savedPort = 0;
  int savedKind = 0;
  if (ReadNumber(registry_, kSavedProxyKey, kHttpProxyPort, savedPort) &&
      ReadNumber(registry_, kSavedProxyKey, kProxyType, savedKind))
    return;
  TProxySetting setting;
  if (EngineSettings.UseIExplore) {
    SplitIEProxyText(ReadText(registry_, kIESettingsKey, kProxyServer), setting);
    ReadNumber(registry_, kIESettingsKey, kProxyEnable, setting.kind);
  } else {
    setting.host = ReadText(registry_, kNetscapeProxyKey, kHttpProxy);
    ReadNumber(registry_, kNetscapeProxyKey, kHttpProxyPort, setting.port);
    ReadNumber(registry_, kNetscapeProxyKey, kProxyType, setting.kind);
  }
  if (setting.host.trimmed().isEmpty())
    setting.host = kNoProxyHost;
  try {
    registry_.CreateKey(kUser, kSavedProxyKey);
    registry_.WriteString(kUser, kSavedProxyKey, kHttpProxy, setting.host);
    registry_.WriteDword(kUser, kSavedProxyKey, kHttpProxyPort,
                         static_cast<quint32>(std::max(setting.port, 0)));
    registry_.WriteDword(kUser, kSavedProxyKey, kProxyType, static_cast<quint32>(setting.kind));
  } catch (const RegistryError &) {
  }
}

void TBrowserConfig::SetBrowserProxy(const QString &host, int port, int kind) {
  try {
    if (EngineSettings.UseIExplore) {
      if (!host.isEmpty() && port > 0) {
        const QString prefix = IsNewBrowser() ? QStringLiteral("http=") : QString();
        registry_.WriteString(kUser, kIESettingsKey, kProxyServer,
                              prefix + host + QLatin1Char(':') + QString::number(port));
        registry_.WriteDword(kUser, kIESettingsKey, kProxyEnable, 1);
      }
      return;
    }
    if (!host.isEmpty())
      registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, host);
    if (port > 0)
      registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, static_cast<quint32>(port));
    registry_.WriteDword(kUser, kNetscapeProxyKey, kProxyType, static_cast<quint32>(kind));
  } catch (const RegistryError &) {
  }
}

void TBrowserConfig::RestoreBrowserProxy() {
  TProxySetting saved;
  if (!ReadNumber(registry_, kSavedProxyKey, kHttpProxyPort, saved.port) ||
      !ReadNumber(registry_, kSavedProxyKey, kProxyType, saved.kind))
    return;
  saved.host = ReadText(registry_, kSavedProxyKey, kHttpProxy);
  const bool noHost = saved.host.isEmpty() || saved.host == kNoProxyHost;
  try {
    if (EngineSettings.UseIExplore) {
      if (noHost) {
        registry_.DeleteValue(kUser, kIESettingsKey, kProxyServer);
      } else {
        const QString prefix = IsNewBrowser() ? QStringLiteral("http=") : QString();
        const QString port = saved.port > 0 ? QLatin1Char(':') + QString::number(saved.port) : QString();
        registry_.WriteString(kUser, kIESettingsKey, kProxyServer, prefix + saved.host + port);
      }
      registry_.WriteDword(kUser, kIESettingsKey, kProxyEnable, static_cast<quint32>(saved.kind));
    } else {
      if (noHost)
        registry_.DeleteValue(kUser, kNetscapeProxyKey, kHttpProxy);
      else
        registry_.WriteString(kUser, kNetscapeProxyKey, kHttpProxy, saved.host);
      if (saved.port > 0)
        registry_.WriteDword(kUser, kNetscapeProxyKey, kHttpProxyPort, static_cast<quint32>(saved.port));
      else
        registry_.DeleteValue(kUser, kNetscapeProxyKey, kHttpProxyPort);
      registry_.WriteDword(kUser, kNetscapeProxyKey, kProxyType, static_cast<quint32>(saved.kind));
    }
    // Restored: a record still present at a later start means a run that ended without this.
    registry_.DeleteKey(kUser, kSavedProxyKey);
  } catch (const RegistryError &) {
  }
}

} // namespace ql
