#pragma once

#include <QString>

namespace vx {

// FORMAT with the run-time's display pictures. A picture may be written with or without
// its leading '@', and its letter in either case.
//
//   Nw     whole number right-aligned in w positions, blank-filled   FORMAT(7, "N3") == "  7"
//   N0w    the same, zero-filled                                     FORMAT(7, "n03") == "007"
//   D3     date (day number, date_time.h) as "OCT 31,1959"
//   D4     date as "October 31, 1959"
//   T3     time (clock value, date_time.h) as "5:30PM"
//   Sw     text cut or blank-padded to w characters
//   P...P  pattern: '#' is a digit always shown, '<' a digit left out when it would be a
//          leading zero, and any other character is itself; the digits come from the
//          right, the number is left-aligned: FORMAT(7, "pPage <<<#p") == "Page 7"
//
// A number too wide for its picture shows as '#' in every position. A date or time of 0
// (none) shows as an empty text. Month names are English whatever the locale. A picture
// that is none of these gives the number in plain digits, or the text unchanged.
QString FORMAT(qint64 value, const QString &picture);
QString FORMAT(const QString &value, const QString &picture);

} // namespace vx
