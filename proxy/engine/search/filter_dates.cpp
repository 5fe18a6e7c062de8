#include "proxy/engine/search/filter_dates.h"

#include <QDateTime>

#include <cmath>

namespace ql {

namespace {

// Today's date less some days, at midnight.
TDateTime DaysBack(TDateTime now, int days) {
  return std::floor(now) - days;
}

QDate ParseDate(const QString &text) {
  return QDate::fromString(text, QStringLiteral("yyyy-M-d"));
}

QTime ParseTime(const QString &text) {
  for (const char *format : {"H:mm:ss", "H:mm"}) {
    const QTime time = QTime::fromString(text, QLatin1String(format));
    if (time.isValid())
      return time;
  }
  return {};
}

} // namespace

QString ShortDateFormat() {
  return QStringLiteral("yyyy-MM-dd");
}

QString DateToStr(TDateTime value) {
  return DateTimeToCalendar(value).date().toString(ShortDateFormat());
}

QString DateTimeToStr(TDateTime value) {
  const QDateTime calendar = DateTimeToCalendar(value);
  QString text = calendar.date().toString(ShortDateFormat());
  if (calendar.time() != QTime(0, 0))
    text += QLatin1Char(' ') + calendar.time().toString(QStringLiteral("HH:mm:ss"));
  return text;
}

bool StrToDateTime(const QString &text, TDateTime *value) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty())
    return false;
  const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
  const QDate date = ParseDate(blank < 0 ? trimmed : trimmed.left(blank));
  if (!date.isValid())
    return false;
  QTime time(0, 0);
  if (blank >= 0) {
    time = ParseTime(trimmed.mid(blank + 1).trimmed());
    if (!time.isValid())
      return false;
  }
  *value = CalendarToDateTime(date, time);
  return true;
}

QString SpecialDateConversion(const QString &text, TDateTime now) {
  QString word = text.trimmed().toLower();
  word.remove(QLatin1Char('&'));
  struct Word {
    const char *text;
    int days;
  };
  static const Word kWords[] = {
      {"today", 0}, {"yesterday", 1}, {"past week", 7}, {"past two weeks", 14}, {"past month", 30}};
  for (const Word &known : kWords) {
    if (word == QLatin1String(known.text))
      return DateToStr(DaysBack(now, known.days));
  }
  const QByteArray bytes = text.toUtf8();
  if (!IsRelativeDate(bytes))
    return text;
  const TDateTime date = ParseFilterDate(bytes, now);
  if (date == 0 || !DateTimeToCalendar(date).isValid())
    return QString();
  // Whole seconds, so that the text shown reads back as the same moment.
  return DateTimeToStr(std::round(date * 86400.0) / 86400.0);
}

} // namespace ql
