#include "library/runtime/language/format.h"

#include "library/runtime/language/date_time.h"

#include <array>
#include <climits>

namespace vx {

namespace {

constexpr std::array<const char *, 12> kMonths = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

// The digits of `value` without its sign (safe for the lowest qint64 too).
QString Digits(qint64 value) {
  QString digits = QString::number(value);
  if (digits.startsWith(u'-'))
    digits.remove(0, 1);
  return digits;
}

QString Bare(const QString &picture) {
  return picture.startsWith(u'@') ? picture.mid(1) : picture;
}

// The width after the picture's letter, or -1 when the rest is not a plain width.
int WidthOf(QStringView digits) {
  bool ok = false;
  int width = digits.toInt(&ok);
  return ok && width >= 0 && width <= 4096 ? width : -1;
}

QString Number(qint64 value, QStringView widthText) {
  const bool zeroFill = widthText.size() > 1 && widthText.front() == u'0';
  const int width = WidthOf(widthText);
  if (width < 0)
    return QString::number(value);
  QString digits = Digits(value);
  if (zeroFill) {
    int room = width - (value < 0 ? 1 : 0);
    if (digits.size() < room)
      digits = QString(room - digits.size(), u'0') + digits;
  }
  if (value < 0)
    digits.prepend(u'-');
  if (digits.size() > width)
    return QString(width, u'#');
  return digits.rightJustified(width, u' ');
}

QString Date(qint64 day, QStringView kind) {
  QDate date = (day >= 1 && day <= INT_MAX) ? DateOfDay(static_cast<int>(day)) : QDate();
  if (!date.isValid())
    return {};
  const QString month = QLatin1String(kMonths[date.month() - 1]);
  if (kind == u"3")
    return QStringLiteral("%1 %2,%3").arg(month.left(3).toUpper()).arg(date.day()).arg(date.year());
  return QStringLiteral("%1 %2, %3").arg(month).arg(date.day()).arg(date.year());
}

QString Time(qint64 clock) {
  QTime time = (clock >= 1 && clock <= INT_MAX) ? TimeOfClock(static_cast<int>(clock)) : QTime();
  if (!time.isValid())
    return {};
  int hour = time.hour() % 12;
  return QStringLiteral("%1:%2%3")
      .arg(hour == 0 ? 12 : hour)
      .arg(time.minute(), 2, 10, QLatin1Char('0'))
      .arg(time.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

QString Pattern(qint64 value, QStringView pattern) {
  int positions = 0;
  for (QChar c : pattern)
    positions += (c == u'#' || c == u'<') ? 1 : 0;
  QString digits = Digits(value);
  const bool overflow = digits.size() > positions;
  QString out;
  qsizetype next = digits.size() - positions; // index into digits for the next position
  for (QChar c : pattern) {
    if (c != u'#' && c != u'<') {
      out += c;
      continue;
    }
    if (overflow)
      out += u'#';
    else if (next >= 0)
      out += digits[next];
    else if (c == u'#')
      out += u'0';
    ++next;
  }
  return out;
}

} // namespace

QString FORMAT(qint64 value, const QString &picture) {
  const QString bare = Bare(picture);
  if (bare.isEmpty())
    return QString::number(value);
  const QChar kind = bare.front().toUpper();
  const QStringView rest = QStringView(bare).sliced(1);
  if (kind == u'N')
    return Number(value, rest);
  if (kind == u'D' && (rest == u"3" || rest == u"4"))
    return Date(value, rest);
  if (kind == u'T' && rest == u"3")
    return Time(value);
  if (kind == u'P' && rest.size() >= 1 && rest.back().toUpper() == u'P')
    return Pattern(value, rest.first(rest.size() - 1));
  if (kind == u'S')
    return FORMAT(QString::number(value), picture);
  return QString::number(value);
}

QString FORMAT(const QString &value, const QString &picture) {
  const QString bare = Bare(picture);
  const QChar kind = bare.isEmpty() ? QChar() : bare.front().toUpper();
  if (kind == u'N' || kind == u'D' || kind == u'T' || kind == u'P')
    return FORMAT(value.trimmed().toLongLong(), picture);
  if (kind != u'S')
    return value;
  const int width = WidthOf(QStringView(bare).sliced(1));
  if (width < 0)
    return value;
  return value.left(width).leftJustified(width, u' ');
}

} // namespace vx
