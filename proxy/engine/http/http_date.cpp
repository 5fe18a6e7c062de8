#include "proxy/engine/http/http_date.h"

#include <QList>

#include <cstdio>

namespace ql {
namespace {

constexpr const char *kDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char *kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr qsizetype kMaxTimeText = 8;

bool IsDateSeparator(char c) {
  return c == ' ' || c == '-';
}

// A word of decimal digits only; false for anything else, including a sign.
bool ToNumber(const QByteArray &word, int &number) {
  if (word.isEmpty() || word.size() > 9)
    return false;
  number = 0;
  for (char c : word) {
    if (c < '0' || c > '9')
      return false;
    number = number * 10 + (c - '0');
  }
  return true;
}

// "h:m" or "h:m:s" with each part in range.
bool ParseTime(const QByteArray &text, QTime &time) {
  QList<QByteArray> parts = text.split(':');
  if (parts.size() < 2 || parts.size() > 3)
    return false;
  int fields[3] = {0, 0, 0};
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (!ToNumber(parts[i], fields[i]))
      return false;
  }
  if (!QTime::isValid(fields[0], fields[1], fields[2]))
    return false;
  time = QTime(fields[0], fields[1], fields[2]);
  return true;
}

} // namespace

int MonthFromName(const QByteArray &name) {
  if (name.size() < 3)
    return 0;
  switch ((static_cast<unsigned char>(name[1]) + static_cast<unsigned char>(name[2])) % 256) {
  case 207:
    return 1;
  case 199:
    return 2;
  case 211:
    return 3;
  case 226:
    return 4;
  case 218:
    return 5;
  case 227:
    return 6;
  case 225:
    return 7;
  case 220:
    return 8;
  case 213:
    return 9;
  case 215:
    return 10;
  case 229:
    return 11;
  case 200:
    return 12;
  default:
    return 0;
  }
}

QByteArray ReadDateWord(const QByteArray &text, qsizetype &pos) {
  while (pos < text.size() && IsDateSeparator(text[pos]))
    ++pos;
  qsizetype start = pos;
  while (pos < text.size() && !IsDateSeparator(text[pos]))
    ++pos;
  return text.mid(start, pos - start);
}

TDateTime ParseHttpDate(const QByteArray &text) {
  QByteArray lower = text.toLower();
  qsizetype first = 0;
  while (first < lower.size() && lower[first] == ' ')
    ++first;
  lower = lower.mid(first);
  if (lower.isEmpty())
    return kNoDate;

  qsizetype pos = lower.indexOf(' ');
  if (pos < 0)
    return kNoDate;
  QByteArray dayWord, monthWord, yearWord, timeWord;
  if (lower.size() > 3 && lower[3] == ' ') {
    monthWord = ReadDateWord(lower, pos);
    dayWord = ReadDateWord(lower, pos);
    timeWord = ReadDateWord(lower, pos);
    yearWord = ReadDateWord(lower, pos);
  } else {
    dayWord = ReadDateWord(lower, pos);
    monthWord = ReadDateWord(lower, pos);
    yearWord = ReadDateWord(lower, pos);
    timeWord = ReadDateWord(lower, pos);
  }
  QByteArray timeText = timeWord.isEmpty() ? QByteArray("0:0:0") : timeWord.left(kMaxTimeText);
  if (timeText.endsWith(':'))
    timeText += '0';

  int day = 0, year = 0;
  int month = MonthFromName(monthWord);
  if (month == 0 || !ToNumber(dayWord, day) || !ToNumber(yearWord, year))
    return kNoDate;
  if (year >= 50 && year <= 99)
    year += 1900;
  else if (year <= 49)
    year += 2000;
  QTime time;
  if (!QDate::isValid(year, month, day) || !ParseTime(timeText, time))
    return kNoDate;
  return CalendarToDateTime(QDate(year, month, day), time);
}

QByteArray FormatHttpDate(TDateTime date) {
  if (date == kNoDate)
    return {};
  QDateTime calendar = DateTimeToCalendar(date);
  if (!calendar.isValid())
    return {};
  QDate day = calendar.date();
  QTime time = calendar.time();
  char text[40];
  int n = std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                        kDayNames[day.dayOfWeek() - 1], day.day(), kMonthNames[day.month() - 1], day.year(),
                        time.hour(), time.minute(), time.second());
  return QByteArray(text, n);
}

} // namespace ql
