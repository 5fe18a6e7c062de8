#include "proxy/engine/autobrowse/session_clock.h"

#include <QElapsedTimer>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace ql {

int64_t TickCount() {
  static QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return clock.elapsed() + 1;
}

QString SessionTimeText(TDateTime when) {
  return QLocale::c().toString(DateTimeToCalendar(when), QStringLiteral("dddd, MMMM d, yyyy '-' hh:mm:ss"));
}

QString DurationText(int64_t ms) {
  const int64_t seconds = std::max<int64_t>(0, ms) / 1000;
  return QStringLiteral("%1:%2:%3")
      .arg((seconds / 3600) % 24, 2, 10, QLatin1Char('0'))
      .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TSpeedRing::Reset(int64_t now) {
  for (TSlot &slot : slots_)
    slot = {0, now};
}

int64_t TSpeedRing::Add(int64_t bytes, int64_t now) {
  int64_t sum = 0;
  for (std::size_t i = 0; i + 1 < kSlots; ++i) {
    slots_[i] = slots_[i + 1];
    sum += slots_[i].bytes;
  }
  slots_[kSlots - 1] = {bytes, now};
  sum += bytes;
  const double seconds = static_cast<double>(now - slots_[0].tick + 1) * 0.001;
  if (seconds <= 0)
    return 0;
  const double speed = std::trunc(static_cast<double>(sum) / seconds);
  return std::isfinite(speed) ? static_cast<int64_t>(speed) : 0;
}

} // namespace ql
