#include "proxy/engine/html/html_entities.h"

namespace ql {

namespace {

// The longest reference read: "&#x10FFFF;" and the longest name fit well within it.
constexpr qsizetype kMaxReference = 12;

// The names of U+00A0 to U+00FF, in order.
const char *const kLatin1Names[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The code point a reference's name stands for, or -1.
long NamedCode(const QByteArray &name) {
  static const struct {
    const char *name;
    long code;
  } kBasic[] = {{"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
                {"apos", '\''},     {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},
                {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
                {"bdquo", 0x201E},  {"dagger", 0x2020}, {"bull", 0x2022},   {"hellip", 0x2026},
                {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
                {"trade", 0x2122},  {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}};
  for (const auto &entry : kBasic) {
    if (name == entry.name)
      return entry.code;
  }
  for (std::size_t i = 0; i < std::size(kLatin1Names); ++i) {
    if (name == kLatin1Names[i])
      return 0xA0 + static_cast<long>(i);
  }
  return -1;
}

long NumericCode(const QByteArray &digits) {
  bool ok = false;
  long code = -1;
  if (digits.startsWith('x') || digits.startsWith('X'))
    code = digits.size() > 1 ? digits.mid(1).toLong(&ok, 16) : -1;
  else
    code = digits.toLong(&ok, 10);
  if (!ok || code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return -1;
  return code;
}

bool AllDigits(const QByteArray &text, bool hex) {
  for (const char c : text) {
    const bool digit = (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    if (!digit)
      return false;
  }
  return !text.isEmpty();
}

void AppendUtf8(QByteArray &out, long code) {
  if (code < 0x80) {
    out.append(static_cast<char>(code));
  } else if (code < 0x800) {
    out.append(static_cast<char>(0xC0 | (code >> 6)));
    out.append(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.append(static_cast<char>(0xE0 | (code >> 12)));
    out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.append(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.append(static_cast<char>(0xF0 | (code >> 18)));
    out.append(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.append(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.append(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

} // namespace

QByteArray DecodeHtmlEntities(const QByteArray &text) {
  if (!text.contains('&'))
    return text;
  QByteArray out;
  out.reserve(text.size());
  qsizetype i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '&') {
      out.append(c);
      ++i;
      continue;
    }
    const qsizetype semicolon = text.indexOf(';', i + 1);
    long code = -1;
    if (semicolon > i + 1 && semicolon - i <= kMaxReference) {
      const QByteArray body = text.mid(i + 1, semicolon - i - 1);
      if (body.startsWith('#')) {
        const QByteArray digits = body.mid(1);
        const bool hex = digits.startsWith('x') || digits.startsWith('X');
        if (AllDigits(hex ? digits.mid(1) : digits, hex))
          code = NumericCode(digits);
      } else {
        code = NamedCode(body);
      }
    }
    if (code < 0) {
      out.append(c);
      ++i;
      continue;
    }
    AppendUtf8(out, code);
    i = semicolon + 1;
  }
  return out;
}

QByteArray CutUtf8(const QByteArray &text, qsizetype maxBytes) {
  if (text.size() <= maxBytes)
    return text;
  qsizetype cut = maxBytes;
  // Step back over continuation bytes to the start of the sequence that the cut splits.
  qsizetype start = cut;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
    --start;
  if (start < cut) {
    const auto lead = static_cast<unsigned char>(text[start]);
    const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (start + length > cut)
      cut = start;
  }
  return text.left(cut);
}

} // namespace ql
