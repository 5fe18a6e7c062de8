#include "proxy/engine/bookmarks/url_in_text.h"

namespace ql {

namespace {

constexpr qsizetype kMaxTitle = 255;
constexpr qsizetype kShortestTitle = 6;

bool IsSeparator(QChar c) {
  return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char(' ') || c == QLatin1Char('"') ||
         c == QLatin1Char('<') || c == QLatin1Char('>');
}

QString TitleFrom(QString title) {
  title.replace(QLatin1Char('\r'), QLatin1Char(' '));
  title.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return title.trimmed().left(kMaxTitle);
}

} // namespace

qsizetype FindUrlPoint(const QString &text) {
  const qsizetype slashes = text.indexOf(QLatin1String("//"));
  if (slashes >= 0)
    return slashes;
  for (qsizetype i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == QLatin1Char('.') && !IsSeparator(text[i - 1]) && !IsSeparator(text[i + 1]))
      return i;
  }
  return -1;
}

bool ExtractUrlFromText(const QString &text, qsizetype point, TUrlInText &found) {
  if (point < 0 || point >= text.size())
    return false;
  qsizetype start = point;
  while (start > 0 && !IsSeparator(text[start - 1]))
    --start;
  qsizetype end = point;
  while (end < text.size() && !IsSeparator(text[end]))
    ++end;
  const QString before = text.left(start);
  const QString after = text.mid(end);
  QString url = text.mid(start, end - start);
  if (url.endsWith(QLatin1Char('.')))
    url.chop(1);
  qsizetype skip = 0;
  while (skip < url.size() && (IsSeparator(url[skip]) || url[skip] == QLatin1Char('/')))
    ++skip;
  url = url.mid(skip);
  if (url.isEmpty())
    return false;

  QString title;
  if (after.size() < before.size()) {
    if (before.size() < kShortestTitle)
      return false;
    title = before.left(kMaxTitle);
  } else {
    title = after.size() < kShortestTitle ? url : after;
  }
  found.url = url;
  found.title = TitleFrom(title);
  if (found.title.isEmpty())
    found.title = url.left(kMaxTitle);
  return true;
}

} // namespace ql
