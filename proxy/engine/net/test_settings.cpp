#include "proxy/engine/net/test_settings.h"

#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock_test_hooks.h"
#include "proxy/platform/wsa_errors.h"

namespace ql {

namespace {

const QString kSection = QStringLiteral("Testing");

// Calls f(name, value) for every "name=value" of a ";"-separated list.
template <typename F> void ForEachPair(const QString &list, F &&f) {
  for (const QString &pair : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(QLatin1Char('='));
    if (eq > 0)
      f(pair.left(eq).trimmed().toStdString(), pair.mid(eq + 1).trimmed());
  }
}

} // namespace

void ApplyTestSettings(const TRegIniFile &store) {
  bool ok = false;
  const double scale = store.ReadString(kSection, QStringLiteral("TimerScale"), QString()).toDouble(&ok);
  if (ok)
    SetTimerScale(scale);
  if (store.ReadBool(kSection, QStringLiteral("HostsOnly"), false))
    SetTestHostsOnly(true);
  ForEachPair(
      store.ReadString(kSection, QStringLiteral("Hosts"), QString()),
      [](const std::string &name, const QString &address) { AddTestHost(name, address.toStdString()); });
  ForEachPair(store.ReadString(kSection, QStringLiteral("FailLookups"), QString()),
              [](const std::string &name, const QString &times) {
                FailTestLookups(name, times.toInt(), WSAHOST_NOT_FOUND);
              });
}

} // namespace ql
