#include "proxy/engine/net/test_hooks.h"

#include "proxy/platform/timer_scale.h"
#include "proxy/platform/winsock_test_hooks.h"
#include "proxy/platform/wsa_errors.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ql {

namespace {

// Calls f(name, value) for every "name=value" of a ";"-separated list.
template <typename F> void ForEachPair(const QString &list, F &&f) {
  for (const QString &pair : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(QLatin1Char('='));
    if (eq > 0)
      f(pair.left(eq).trimmed().toStdString(), pair.mid(eq + 1).trimmed());
  }
}

} // namespace

namespace {
bool countConnections = false;
int timerIdLimit = 0;
} // namespace

bool CountConnectionsForTest() {
  return countConnections;
}

int TimerIdLimitForTest() {
  return timerIdLimit;
}

void SetTimerIdLimitForTest(int ids) {
  timerIdLimit = ids;
}

void ApplyTestHooks() {
  countConnections = qEnvironmentVariable("QUENLARK_TEST_COUNT_CONNECTIONS") == QLatin1String("1");
  bool ok = false;
  const double scale = qEnvironmentVariable("QUENLARK_TEST_TIMER_SCALE").toDouble(&ok);
  if (ok)
    SetTimerScale(scale);
  if (qEnvironmentVariable("QUENLARK_TEST_HOSTS_ONLY") == QLatin1String("1"))
    SetTestHostsOnly(true);
  if (qEnvironmentVariable("QUENLARK_TEST_HOLD_LOOKUPS") == QLatin1String("1"))
    HoldTestLookups(true);
  SetTimerIdLimitForTest(qEnvironmentVariableIntValue("QUENLARK_TEST_TIMER_IDS"));
  SetSocketHandleLimitForTest(qEnvironmentVariableIntValue("QUENLARK_TEST_SOCKET_HANDLES"));
  ForEachPair(
      qEnvironmentVariable("QUENLARK_TEST_HOSTS"),
      [](const std::string &name, const QString &address) { AddTestHost(name, address.toStdString()); });
  ForEachPair(qEnvironmentVariable("QUENLARK_TEST_FAIL_LOOKUPS"),
              [](const std::string &name, const QString &times) {
                FailTestLookups(name, times.toInt(), WSAHOST_NOT_FOUND);
              });
}

} // namespace ql
