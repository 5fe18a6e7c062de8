#include "library/runtime/language/runtime_upper.h"

namespace vx {

QChar RuntimeUpper(QChar c) {
  const char16_t u = c.unicode();
  if ((u >= u'a' && u <= u'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
    return QChar(static_cast<char16_t>(u - 0x20));
  return c;
}

QChar RuntimeLower(QChar c) {
  const char16_t u = c.unicode();
  if ((u >= u'A' && u <= u'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
    return QChar(static_cast<char16_t>(u + 0x20));
  return c;
}

QString RuntimeUpper(const QString &text) {
  QString out = text;
  for (QChar &c : out)
    c = RuntimeUpper(c);
  return out;
}

QString RuntimeLower(const QString &text) {
  QString out = text;
  for (QChar &c : out)
    c = RuntimeLower(c);
  return out;
}

} // namespace vx
