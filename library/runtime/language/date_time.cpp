#include "library/runtime/language/date_time.h"

#include <QDateTime>

namespace vx {

namespace {

const qint64 kDayZero = QDate(1800, 12, 28).toJulianDay();
constexpr int kClockPerDay = 24 * 60 * 60 * 100;

} // namespace

int DayNumber(const QDate &date) {
  return date.isValid() ? static_cast<int>(date.toJulianDay() - kDayZero) : 0;
}

QDate DateOfDay(int day) {
  return day >= 1 ? QDate::fromJulianDay(kDayZero + day) : QDate();
}

int ClockValue(const QTime &time) {
  return time.isValid() ? time.msecsSinceStartOfDay() / 10 + 1 : 0;
}

QTime TimeOfClock(int clock) {
  if (clock < 1 || clock > kClockPerDay)
    return QTime();
  return QTime::fromMSecsSinceStartOfDay((clock - 1) * 10);
}

int TODAY() {
  return DayNumber(QDate::currentDate());
}

int CLOCK() {
  return ClockValue(QTime::currentTime());
}

} // namespace vx
