#include "proxy/engine/html/html_words.h"

#include "proxy/engine/http/text_routines.h"

namespace ql {

bool IsHtmlWordChar(char c) {
  return c == '!' || (c >= '#' && c <= ';') || (c >= '?' && c <= '~');
}

QByteArray ReadHtmlWord(const QByteArray &text, qsizetype &pos) {
  const qsizetype size = text.size();
  while (pos < size && !IsHtmlWordChar(text[pos]))
    ++pos;
  const qsizetype start = pos;
  while (pos < size && IsHtmlWordChar(text[pos]))
    ++pos;
  return text.mid(start, pos - start).toUpper();
}

QByteArray ReadHtmlAttrValue(const QByteArray &text, qsizetype &pos) {
  const qsizetype size = text.size();
  while (pos < size && !IsHtmlWordChar(text[pos]) && text[pos] != '"')
    ++pos;
  QByteArray value;
  if (pos >= size)
    return value;
  const bool quoted = text[pos] == '"';
  if (quoted)
    ++pos;
  for (; pos < size; ++pos) {
    const char c = text[pos];
    if (c == '"' || c == '<' || c == '>' || (!quoted && c == ' '))
      break;
    if (static_cast<unsigned char>(c) >= 32)
      value.append(c);
  }
  if (quoted) {
    if (pos < size && text[pos] == '"')
      ++pos;
    TrimBlanks(value);
  }
  return value;
}

} // namespace ql
