#include "library/exchange/import/html_entities.h"

namespace vx {

namespace {

// The longest reference decoded, "&#x10FFFF;" and "&#1114111;" among them.
constexpr qsizetype kLongestReference = 10;

// The character of a numeric reference's digits (after "&#"); 0 when they name none.
char32_t NumericCharacter(QStringView digits) {
  bool ok = false;
  uint value = 0;
  if (!digits.isEmpty() && (digits[0] == u'x' || digits[0] == u'X'))
    value = digits.mid(1).toUInt(&ok, 16);
  else
    value = digits.toUInt(&ok, 10);
  if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  return char32_t(value);
}

// The text of the reference "&name;" whose name is given; empty when it is not one.
QString Reference(QStringView name) {
  if (name.size() > 1 && name[0] == u'#') {
    const QStringView digits = name.mid(1);
    for (QChar c : digits.mid(digits[0] == u'x' || digits[0] == u'X' ? 1 : 0)) {
      if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
        return {};
    }
    const char32_t c = NumericCharacter(digits);
    return c ? QString::fromUcs4(&c, 1) : QString();
  }
  static const struct {
    const char16_t *name;
    char16_t character;
  } kNamed[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u' '}};
  for (const auto &named : kNamed) {
    if (name == QStringView(named.name))
      return QString(QChar(named.character));
  }
  return {};
}

} // namespace

QString DecodeEntities(QStringView text) {
  qsizetype amp = text.indexOf(u'&');
  if (amp < 0)
    return text.toString();
  QString out;
  out.reserve(text.size());
  qsizetype from = 0;
  while (amp >= 0) {
    out += text.mid(from, amp - from);
    const qsizetype semicolon = text.mid(amp + 1, kLongestReference).indexOf(u';');
    const QString character = semicolon > 0 ? Reference(text.mid(amp + 1, semicolon)) : QString();
    if (character.isEmpty()) {
      out += u'&';
      from = amp + 1;
    } else {
      out += character;
      from = amp + 1 + semicolon + 1;
    }
    amp = text.indexOf(u'&', from);
  }
  out += text.mid(from);
  return out;
}

} // namespace vx
