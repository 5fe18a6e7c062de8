#include "library/exchange/export/export_lines.h"

namespace vx {

namespace {

// The text with each line break (CR LF, CR or LF) as one blank.
QString OneLine(const QString &text) {
  if (!text.contains(u'\n') && !text.contains(u'\r'))
    return text;
  QString out = text;
  out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  out.replace(u'\r', u' ');
  out.replace(u'\n', u' ');
  return out;
}

template <int N> QString Padded(const FixedString<N> &field) {
  return OneLine(field.text()).leftJustified(N, u' ');
}

template <int N> QString Quoted(const FixedString<N> &field) {
  QString text = OneLine(field.clipped());
  text.replace(u'"', QStringLiteral("\"\""));
  return u'"' + text + u'"';
}

// The text with '&' and '<' as entities, and '"' or '>' (`other`) too.
QString Escaped(const QString &text, char16_t other) {
  QString out;
  out.reserve(text.size() + 16);
  for (QChar c : text) {
    if (c == u'&')
      out += QStringLiteral("&amp;");
    else if (c == u'<')
      out += QStringLiteral("&lt;");
    else if (c != other)
      out += c;
    else if (other == u'"')
      out += QStringLiteral("&quot;");
    else
      out += QStringLiteral("&gt;");
  }
  return out;
}

} // namespace

QString AttributeValue(const QString &text) {
  return Escaped(text, u'"');
}

QString HtmlText(const QString &text) {
  return Escaped(text, u'>');
}

QString AsciiLine(const SiteRecord &site, bool siteInfo, bool ratings) {
  QString line = Padded(site.Category) + u' ' + Padded(site.Location) + u' ' + Padded(site.Description);
  if (siteInfo)
    line += u' ' + Padded(site.SiteInfo);
  if (ratings)
    line += u' ' + QString::number(site.Rating);
  return line;
}

QString CommaDelimitedLine(const SiteRecord &site, bool siteInfo, bool ratings) {
  QString line = Quoted(site.Category) + u',' + Quoted(site.Location) + u',' + Quoted(site.Description);
  if (siteInfo)
    line += u',' + Quoted(site.SiteInfo);
  if (ratings)
    line += u',' + QString::number(site.Rating);
  return line;
}

} // namespace vx
