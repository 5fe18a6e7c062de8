#include "library/exchange/import/html_entities.h"

namespace vx {

namespace {

// The longest reference decoded, "&#x10FFFF;" and "&#1114111;" among them.
constexpr qsizetype kLongestReference = 10;
// The most characters a reference takes in the text, its "&" included.
constexpr qsizetype kReferenceLength = kLongestReference + 1;

// Whether `text` is made of ASCII digits only, hexadecimal ones when `hex`.
bool AllDigits(QStringView text, bool hex) {
  for (QChar c : text) {
    const char16_t u = c.unicode();
    const bool digit =
        (u >= u'0' && u <= u'9') || (hex && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
    if (!digit)
      return false;
  }
  return !text.isEmpty();
}

// The character of a numeric reference's digits (after "&#"); 0 when they name none.
char32_t NumericCharacter(QStringView digits) {
  const bool hex = digits.startsWith(u'x') || digits.startsWith(u'X');
  if (hex)
    digits = digits.mid(1);
  if (!AllDigits(digits, hex))
    return 0;
  bool ok = false;
  const uint value = digits.toUInt(&ok, hex ? 16 : 10);
  if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  return char32_t(value);
}

// The text of the reference "&name;" whose name is given; empty when it is not one.
QString Reference(QStringView name) {
  if (name.startsWith(u'#')) {
    const char32_t c = NumericCharacter(name.mid(1));
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

QString DecodeEntities(QStringView text, int width) {
  return DecodeEntities(text.left(width * kReferenceLength));
}

} // namespace vx
