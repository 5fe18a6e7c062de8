#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QTime>

namespace ql {

// The engine's date type: days counted from 30 December 1899, the time of day as the
// fraction. kNoDate stands for a missing date (Last-Modified, If-Modified-Since).
// Before 30 December 1899 the whole part counts back and the fraction still counts
// forward from midnight: -1.25 is 29 December 1899, 06:00.
using TDateTime = double;
constexpr TDateTime kNoDate = -1.0;

// Files store a date as the day number from 1 January of year 1: the value plus 693594.
// Zero stays zero in both directions.
constexpr double kDayNumberOffset = 693594.0;
void DateTimeToDayNumber(TDateTime &date);
void DayNumberToDateTime(TDateTime &date);

// Conversion to and from calendar date and time of day. Both round to the nearest
// millisecond, so a whole-second time survives the round trip through a float.
// The calendar value carries no time zone (it is returned with Qt::UTC so that no
// daylight-saving rule shifts it); it is invalid when the value is not finite or lies
// outside the years 1 to 9999.
QDateTime DateTimeToCalendar(TDateTime value);
TDateTime CalendarToDateTime(const QDate &date, const QTime &time);

// The local wall-clock time now.
TDateTime Now();

// True when the lower-cased text contains "d", "w" or "h": a filter date given as an age.
bool IsRelativeDate(const QByteArray &text);

// An age such as "12 d", "3 w" or "2h" turned into a date: now minus that many days,
// weeks or hours. The unit letter searched first is "h", then "d", then "w"; the number is
// the digits written just before it (blanks between are allowed). 0 when there is no unit
// or no number.
TDateTime ParseFilterDate(const QByteArray &text, TDateTime now);

} // namespace ql
