#pragma once

#include "proxy/engine/http/dates.h"

namespace ql {

// The day of the week of a date, 0 for Sunday to 6 for Saturday (30 December 1899 was a Saturday).
int DayOfWeek(TDateTime date);

} // namespace ql
