#pragma once

namespace ql {

// The engine's date type: days counted from 30 December 1899, the time of day as the
// fraction. kNoDate stands for a missing date (Last-Modified, If-Modified-Since).
using TDateTime = double;
constexpr TDateTime kNoDate = -1.0;

// Files store a date as the day number from 1 January of year 1: the value plus 693594.
// Zero stays zero in both directions.
constexpr double kDayNumberOffset = 693594.0;
void DateTimeToDayNumber(TDateTime &date);
void DayNumberToDateTime(TDateTime &date);

} // namespace ql
