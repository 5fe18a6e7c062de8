#include "proxy/engine/http/dates.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace ql {
namespace {

constexpr qint64 kMsPerDay = 86400000;
// Whole days from 30 December 1899 to 1 January of year 1 and to 31 December 9999.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958466.0;

qint64 EpochJulianDay() {
  static const qint64 julian = QDate(1899, 12, 30).toJulianDay();
  return julian;
}

} // namespace

void DateTimeToDayNumber(TDateTime &date) {
  if (date != 0.0)
    date += kDayNumberOffset;
}

void DayNumberToDateTime(TDateTime &date) {
  if (date != 0.0)
    date -= kDayNumberOffset;
}

QDateTime DateTimeToCalendar(TDateTime value) {
  if (!std::isfinite(value) || value < kFirstDay || value >= kLastDay)
    return {};
  double whole = std::trunc(value);
  qint64 day = static_cast<qint64>(whole);
  qint64 ms = std::llround(std::fabs(value - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++day;
  }
  QDate date = QDate::fromJulianDay(EpochJulianDay() + day);
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::UTC);
}

TDateTime CalendarToDateTime(const QDate &date, const QTime &time) {
  double day = static_cast<double>(date.toJulianDay() - EpochJulianDay());
  double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / kMsPerDay;
  return day >= 0 ? day + fraction : day - fraction;
}

TDateTime Now() {
  // The zone's rules are read once; localtime_r applies them (summer time included) without
  // reading the zone file again, as asking for the current local date would at every call.
  static const bool zoneRead = (::tzset(), true);
  (void)zoneRead;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  // A leap second counts as the last second of its minute.
  const QTime time(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                   static_cast<int>(now.tv_nsec / 1000000));
  return CalendarToDateTime(date, time);
}

bool IsRelativeDate(const QByteArray &text) {
  QByteArray lower = text.toLower();
  return lower.contains('d') || lower.contains('w') || lower.contains('h');
}

TDateTime ParseFilterDate(const QByteArray &text, TDateTime now) {
  QByteArray lower = text.toLower();
  char unit = 'h';
  qsizetype at = lower.indexOf(unit);
  for (char other : {'d', 'w'}) {
    if (at >= 0)
      break;
    unit = other;
    at = lower.indexOf(unit);
  }
  if (at < 0)
    return 0;
  qsizetype end = at;
  while (end > 0 && lower[end - 1] == ' ')
    --end;
  qsizetype begin = end;
  while (begin > 0 && lower[begin - 1] >= '0' && lower[begin - 1] <= '9')
    --begin;
  bool ok = false;
  int number = lower.mid(begin, end - begin).toInt(&ok);
  if (!ok)
    return 0;
  switch (unit) {
  case 'h':
    return now - number / 24.0;
  case 'd':
    return now - number;
  default:
    return now - 7.0 * number;
  }
}

} // namespace ql
