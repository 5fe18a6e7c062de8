#include "proxy/engine/clock.h"

#include <QDateTime>
#include <cmath>

namespace ql {

TDateTime NowDateTime() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate epoch(1899, 12, 30);
  const double days = static_cast<double>(epoch.daysTo(now.date()));
  return days + now.time().msecsSinceStartOfDay() / 86400000.0;
}

int DayOfWeek(TDateTime date) {
  const long long day = static_cast<long long>(std::floor(date));
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

} // namespace ql
