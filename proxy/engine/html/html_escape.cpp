#include "proxy/engine/html/html_escape.h"

namespace ql {

namespace {

QByteArray Escape(const QByteArray &text, bool unquoted) {
  QByteArray out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
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
      if (unquoted && (u <= 32 || u == 127 || c == '`'))
        out += "&#" + QByteArray::number(u) + ';';
      else
        out += c;
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
