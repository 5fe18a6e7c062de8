#pragma once

#include "proxy/engine/http/dates.h"

#include <QString>

namespace ql {

// Dates as the cache filters and the Cache Explorer show and take them. The short date format
// is "yyyy-MM-dd": numeric, the same in every locale and free of the letters of the relative
// forms ("d", "w", "h"), so that a date shown never reads back as an age.

// The short date format in QDate's notation.
QString ShortDateFormat();

// The date part of a value in the short date format.
QString DateToStr(TDateTime value);

// The short date, followed by a blank and the time "HH:mm:ss" unless the value is exactly
// midnight.
QString DateTimeToStr(TDateTime value);

// Reads a date in the short date format (month and day also in one digit), optionally
// followed by a blank and a time "H:mm" or "H:mm:ss". False, with *value untouched, when the
// text is not one.
bool StrToDateTime(const QString &text, TDateTime *value);

// The words of the date boxes' popup and the relative forms (an age such as "3 d", "2 w" or
// "12 h"), turned into the date they mean, as text:
//   "today"            today's date
//   "yesterday"        yesterday's date
//   "past week"        the date 7 days ago
//   "past two weeks"   the date 14 days ago
//   "past month"       the date 30 days ago
//   an age             now less the age, date and time
// Words compare without regard to case, with or without their "&". An age that names no
// number gives the empty text. Any other text comes back unchanged.
QString SpecialDateConversion(const QString &text, TDateTime now);

} // namespace ql
