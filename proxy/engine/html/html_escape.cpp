#include "proxy/engine/html/html_escape.h"

namespace ql {

namespace {

bool Continues(const QByteArray &text, qsizetype at, unsigned low = 0x80, unsigned high = 0xBF) {
  if (at >= text.size())
    return false;
  const auto u = static_cast<unsigned char>(text[at]);
  return u >= low && u <= high;
}

// The length of the well-formed UTF-8 sequence that starts at i, or 0 when there is none.
qsizetype Utf8Sequence(const QByteArray &text, qsizetype i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead >= 0xC2 && lead <= 0xDF)
    return Continues(text, i + 1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : 0xBF;
    return Continues(text, i + 1, low, high) && Continues(text, i + 2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
    return Continues(text, i + 1, low, high) && Continues(text, i + 2) && Continues(text, i + 3) ? 4 : 0;
  }
  return 0;
}

QByteArray Escape(const QByteArray &text, bool unquoted) {
  QByteArray out;
  out.reserve(text.size() + text.size() / 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      if (u >= 0x80) {
        // The pages are UTF-8; a byte that is not part of a UTF-8 character is taken as the
        // Latin-1 character of its code, as pages without a character set were written.
        const qsizetype length = Utf8Sequence(text, i);
        if (length == 0) {
          out += "&#" + QByteArray::number(u) + ';';
        } else {
          out += text.mid(i, length);
          i += length - 1;
        }
      } else if (unquoted && (u <= 32 || u == 127 || c == '`')) {
        out += "&#" + QByteArray::number(u) + ';';
      } else {
        out += c;
      }
    }
  }
  return out;
}

} // namespace

QByteArray HtmlEscape(const QByteArray &text) {
  return Escape(text, false);
}

QByteArray HtmlEscapeAttribute(const QByteArray &text) {
  return Escape(text, true);
}

} // namespace ql
