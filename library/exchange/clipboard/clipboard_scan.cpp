#include "library/exchange/clipboard/clipboard_scan.h"

#include "library/exchange/import/import_scan.h"
#include "library/runtime/language/string_functions.h"

#include <algorithm>
#include <iterator>

namespace vx {

namespace {

constexpr int kLocationWidth = 255;
constexpr int kDescriptionWidth = 100;
constexpr int kCategoryWidth = 30;
constexpr int kSiteInfoWidth = 1000;
constexpr int kKeywordWidth = 10;

// The text of a heading that begins at `tag`: after the tag's ">" up to the next "<", or
// the next 255 characters when no "<" follows.
QString HeadingText(const QString &text, qsizetype tag) {
  const qsizetype close = text.indexOf(u'>', tag);
  if (close < 0)
    return {};
  const qsizetype next = text.indexOf(u'<', close + 1);
  return DecodedField(
      QStringView(text).mid(close + 1, next < 0 ? kLocationWidth : next - close - 1).trimmed(),
      kCategoryWidth);
}

// Whether the address names no host after a scheme that needs one: "http://" alone, or
// "ftp:///file", as a cut or a broken link leaves it.
bool LacksHost(const QString &location) {
  const qsizetype scheme = location.indexOf(QLatin1String("://"));
  if (scheme < 0)
    return false;
  static const QLatin1String kSchemes[] = {QLatin1String("http"), QLatin1String("https"),
                                           QLatin1String("ftp"), QLatin1String("telnet")};
  const QStringView name = QStringView(location).left(scheme);
  if (std::none_of(std::begin(kSchemes), std::end(kSchemes),
                   [name](QLatin1String s) { return name.compare(s, Qt::CaseInsensitive) == 0; }))
    return false;
  QStringView host = QStringView(location).mid(scheme + 3);
  for (const QChar end : {u'/', u'?', u'#'}) {
    if (const qsizetype at = host.indexOf(end); at >= 0)
      host = host.left(at);
  }
  host = host.mid(host.lastIndexOf(u'@') + 1); // after a user name
  if (!host.startsWith(u'['))
    host = host.left(host.indexOf(u':')); // before a port
  return host.trimmed().isEmpty();
}

bool IsHeading(const QString &text, qsizetype tag) {
  return (tag + 3 < text.size() && text.at(tag + 3) == u'>') || QStringView(text).mid(tag + 3, 4) == u" ADD";
}

QString Keyword(const QString &location) {
  const qsizetype scheme = location.indexOf(QLatin1String("://"));
  if (scheme >= 0)
    return location.left(qMin<qsizetype>(scheme, kKeywordWidth));
  if (location.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
    return QStringLiteral("mailto:");
  return QStringLiteral("?");
}

// Where the first address of plain text begins at or after `from`, by the first marker
// that occurs at all; `www` tells that the address needs "http://" in front. "http://" and
// "https://" are one marker: the first of the two counts.
qsizetype PlainAddress(const QString &lower, qsizetype from, bool *www) {
  *www = false;
  const qsizetype http = lower.indexOf(QLatin1String("http://"), from);
  const qsizetype https = lower.indexOf(QLatin1String("https://"), from);
  if (http >= 0 || https >= 0)
    return http < 0 ? https : https < 0 ? http : qMin(http, https);
  static const QLatin1String kMarkers[] = {QLatin1String("ftp://"), QLatin1String("telnet://"),
                                           QLatin1String("mailto:")};
  for (const QLatin1String &marker : kMarkers) {
    const qsizetype at = lower.indexOf(marker, from);
    if (at >= 0)
      return at;
  }
  *www = true;
  return lower.indexOf(QLatin1String("www."), from);
}

} // namespace

std::vector<ClipboardSite> FindClipboardSites(const QString &input) {
  const QString text = input.left(kClipboardTextLength);
  const QString lower = LOWER(text);
  const qsizetype size = text.size();
  std::vector<ClipboardSite> sites;
  qsizetype rest = 0; // where the text that is left begins
  while (rest < size) {
    const qsizetype link = lower.indexOf(QLatin1String("href"), rest);
    const qsizetype heading = lower.indexOf(QLatin1String("<h"), rest);
    ClipboardSite site;
    site.category = QStringLiteral("Clipboard");
    if (heading >= 0 && (link < 0 || heading < link) && IsHeading(text, heading))
      site.category = HeadingText(text, heading);

    qsizetype end; // the character that ends the address
    if (link >= 0) {
      const qsizetype open = text.indexOf(u'"', link);
      if (open < 0) {
        rest = link + 4;
        continue;
      }
      const qsizetype close = text.indexOf(u'"', open + 1);
      site.location =
          close < 0 ? QString() : text.mid(open + 1, close - open - 1).trimmed().left(kLocationWidth);
      if (site.location.isEmpty() || !site.location.contains(u':')) {
        rest = open + 1;
        continue;
      }
      if (LacksHost(site.location)) {
        rest = close + 1;
        continue;
      }
      end = close;
    } else {
      bool www = false;
      const qsizetype start = PlainAddress(lower, rest, &www);
      if (start < 0)
        break;
      end = start;
      while (end < size && !text.at(end).isSpace())
        ++end;
      // An address that runs into the cut goes on beyond it: what the scan sees is not the
      // whole address, and nothing follows it.
      if (end == size && input.size() > size && !input.at(size).isSpace())
        break;
      site.location =
          ((www ? QStringLiteral("http://") : QString()) + text.mid(start, end - start)).left(kLocationWidth);
      if (LacksHost(site.location)) {
        rest = end;
        continue;
      }
    }

    rest = qMin(size, end + 1);
    const qsizetype tagEnd = text.indexOf(u'>', rest);
    if (tagEnd >= 0)
      rest = tagEnd + 1;
    const qsizetype anchorEnd = lower.indexOf(QLatin1String("</a>"), rest);
    // A link's description is HTML; the words after a plain address are taken as they are.
    const auto describe = [link](QStringView words) {
      words = words.trimmed();
      return link >= 0 ? DecodedField(words, kDescriptionWidth) : words.left(kDescriptionWidth).toString();
    };
    if (anchorEnd >= 0) {
      site.description = describe(QStringView(text).mid(rest, anchorEnd - rest));
      const QString after = text.mid(anchorEnd + 4).trimmed();
      if (!after.startsWith(u'<'))
        site.siteInfo = after.left(kSiteInfoWidth);
      rest = anchorEnd + 1;
    } else {
      site.description = describe(QStringView(text).mid(rest));
    }
    site.keyword = Keyword(site.location);
    sites.push_back(std::move(site));
  }
  return sites;
}

} // namespace vx
