#include "proxy/engine/dates.h"

namespace ql {

void DateTimeToDayNumber(TDateTime &date) {
  if (date != 0.0)
    date += kDayNumberOffset;
}

void DayNumberToDateTime(TDateTime &date) {
  if (date != 0.0)
    date -= kDayNumberOffset;
}

} // namespace ql
