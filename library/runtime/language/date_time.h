#pragma once

#include <QDate>
#include <QTime>

namespace vx {

// The run-time's dates and times, as the data files keep them in LONG fields.
//
// A date is a day number: 4 is 1 January 1801, each day adds one, and 0 means no date.
// A time is a clock value in hundredths of a second after midnight plus one: 1 is
// midnight, 8 640 000 is 23:59:59.99, and 0 means no time.

int TODAY(); // today's day number, local time
int CLOCK(); // the clock value now, local time

int DayNumber(const QDate &date);  // 0 for an invalid date
QDate DateOfDay(int day);          // an invalid date for day numbers below 1
int ClockValue(const QTime &time); // 0 for an invalid time
QTime TimeOfClock(int clock);      // an invalid time outside 1 .. 8 640 000

} // namespace vx
