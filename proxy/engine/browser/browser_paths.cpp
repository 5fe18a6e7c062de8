#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_keys.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"

#include <QFileInfo>

namespace ql {

using namespace browser_keys;

namespace {

// 1 May 1996, 00:00: executables dated later take "http=" in front of their proxy text.
constexpr TDateTime kNewBrowserDate = 35186;

const QString kGeneral = QStringLiteral("General");

QString ReadOrEmpty(const Registry &registry, RegistryRoot root, const QString &key, const QString &name) {
  try {
    return registry.ReadString(root, key, name);
  } catch (const RegistryError &) {
    return {};
  }
}

} // namespace

bool PlainBrowserStart = false;

TBrowserConfig::TBrowserConfig(Registry &registry, TRegIniFile &settings)
    : registry_(registry), settings_(settings) {}

QString TBrowserConfig::GetIEPath() const {
  if (!registry_.ValueExists(RegistryRoot::LocalMachine, kIEAppPathsKey, QStringLiteral("Path")))
    return {};
  QString path = ReadOrEmpty(registry_, RegistryRoot::LocalMachine, kIEAppPathsKey, QStringLiteral("Path"));
  // The value ends in ";", which is dropped; a value written without it loses nothing.
  if (path.endsWith(QLatin1Char(';')))
    path.chop(1);
  return path + QStringLiteral("\\iexplore.exe");
}

QString TBrowserConfig::GetNetscapePath() const {
  const QString dir = ReadOrEmpty(registry_, RegistryRoot::CurrentUser, kNetscapeMainKey,
                                  QStringLiteral("Install Directory"));
  return dir.isEmpty() ? QString() : dir + QStringLiteral("\\Program\\Netscape.exe");
}

bool TBrowserConfig::IEInstalled() const {
  const QString path = GetIEPath();
  return !path.isEmpty() && QFileInfo::exists(FileSystemPath(path));
}

bool TBrowserConfig::NetscapeInstalled() const {
  const QString path = GetNetscapePath();
  return !path.isEmpty() && QFileInfo::exists(FileSystemPath(path));
}

QString TBrowserConfig::GetBrowserPath() const {
  return EngineSettings.UseIExplore ? GetIEPath() : GetNetscapePath();
}

QString TBrowserConfig::GetBrowserCachePath() const {
  return ReadOrEmpty(registry_, RegistryRoot::CurrentUser, kNetscapeCacheKey, QStringLiteral("Cache Dir"));
}

QString TBrowserConfig::GetBrowserBookmarksPath() const {
  return ReadOrEmpty(registry_, RegistryRoot::CurrentUser, kNetscapeBookmarksKey,
                     QStringLiteral("File Location"));
}

void TBrowserConfig::SaveBrowserPaths() {
  const std::pair<QString, QString> paths[] = {
      {QStringLiteral("BrowserPath"), GetBrowserPath()},
      {QStringLiteral("BrowserCachePath"), GetBrowserCachePath()},
      {QStringLiteral("BrowserBookmarksPath"), GetBrowserBookmarksPath()},
  };
  try {
    for (const auto &[name, path] : paths) {
      if (!path.isEmpty())
        settings_.WriteString(kGeneral, name, path);
    }
  } catch (const RegistryError &) {
  }
}

TDateTime TBrowserConfig::GetBrowserExeDate() const {
  const QString path = GetBrowserPath();
  if (path.isEmpty())
    return 0;
  const QFileInfo file(FileSystemPath(path));
  if (!file.exists())
    return 0;
  const QDateTime modified = file.lastModified();
  return CalendarToDateTime(modified.date(), modified.time());
}

bool TBrowserConfig::IsNewBrowser() const {
  return GetBrowserExeDate() > kNewBrowserDate;
}

bool TBrowserConfig::CheckNewsUpdated() {
  const bool updated = settings_.ReadBool(kGeneral, QStringLiteral("NewsUpdated"), false);
  if (updated) {
    try {
      settings_.WriteBool(kGeneral, QStringLiteral("NewsUpdated"), false);
    } catch (const RegistryError &) {
    }
  }
  return updated;
}

} // namespace ql
