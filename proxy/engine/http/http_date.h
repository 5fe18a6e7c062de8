#pragma once

#include "proxy/engine/http/dates.h"

#include <QByteArray>

namespace ql {

// Dates as HTTP writes them (Date, Last-Modified, Expires, If-Modified-Since). No time
// zone is converted: a date is kept as its text says and compared only with other such
// dates. Day and month names are the English ones whatever the locale.

// Month 1 to 12 of a lower-case month name, told apart by the sum of its second and third
// characters (modulo 256); 0 for any other word.
int MonthFromName(const QByteArray &name);

// The next word of a date text from pos: blanks and "-" before it are skipped, and the
// word ends before the next blank or "-" or at the end. pos is left after the word.
QByteArray ReadDateWord(const QByteArray &text, qsizetype &pos);

// Parses the three forms "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT"
// and "Sun Nov  6 08:49:37 1994". The first word is always taken as the weekday. Two-digit
// years 50..99 are 1950..1999, 0..49 are 2000..2049. kNoDate for anything else.
TDateTime ParseHttpDate(const QByteArray &text);

// "ddd, dd mmm yyyy hh:mm:ss GMT", the seconds rounded to the nearest millisecond first.
// Empty for kNoDate and for dates outside the years 1 to 9999.
QByteArray FormatHttpDate(TDateTime date);

} // namespace ql
