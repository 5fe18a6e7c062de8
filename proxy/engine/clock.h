#pragma once

#include "proxy/engine/dates.h"

namespace ql {

// The current local date and time in the engine's date type.
TDateTime NowDateTime();

// The day of the week of a date, 0 for Sunday to 6 for Saturday (30 December 1899 was a Saturday).
int DayOfWeek(TDateTime date);

} // namespace ql
