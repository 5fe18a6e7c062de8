#include "proxy/engine/html/html_links.h"

#include "proxy/engine/html/html_tags.h"
#include "proxy/engine/html/html_words.h"
#include "proxy/engine/http/url_resolve.h"

namespace ql {
namespace {

constexpr qsizetype kMaxNameLength = 20;
constexpr qsizetype kMinLinkTagLength = 9;

bool IsOneOf(const QByteArray &word, std::initializer_list<const char *> names) {
  for (const char *name : names) {
    if (word == name)
      return true;
  }
  return false;
}

bool IsLinkTag(const QByteArray &name) {
  return IsOneOf(name, {"A", "IMG", "AREA", "BODY", "INPUT", "FRAME", "APPLET", "BGSOUND", "META", "BASE",
                        "EMBED", "TABLE", "TD", "TH", "TR"});
}

bool IsLinkAttribute(const QByteArray &name) {
  return IsOneOf(name, {"HREF", "SRC", "BACKGROUND", "CODE", "CONTENT", "DYNSRC", "LOWSRC"});
}

bool IsSourceAttribute(const QByteArray &name) {
  return IsOneOf(name, {"SRC", "LOWSRC", "DYNSRC", "BACKGROUND"});
}

QByteArray KindMark(const QByteArray &tag, const QByteArray &attribute) {
  if (attribute == "CODE")
    return "*";
  if (!IsSourceAttribute(attribute))
    return QByteArray();
  if (tag == "FRAME")
    return "^";
  if (tag == "EMBED")
    return "#";
  return "!";
}

} // namespace

void TFoundLinks::Add(const QByteArray &link) {
  if (link.isEmpty() || seen_.contains(link))
    return;
  seen_.insert(link);
  links_.append(link);
}

void ProcessLinkTag(const QByteArray &tag, QByteArray &base, qsizetype maxBaseLength, TFoundLinks &found) {
  qsizetype pos = 0;
  const QByteArray name = ReadHtmlWord(tag, pos).left(kMaxNameLength);
  if (!IsLinkTag(name))
    return;
  while (pos < tag.size()) {
    const QByteArray attribute = ReadHtmlWord(tag, pos).left(kMaxNameLength);
    if (!IsLinkAttribute(attribute))
      continue;
    const QByteArray value = ReadHtmlAttrValue(tag, pos);
    if (name == "META") {
      if (attribute != "CONTENT")
        continue;
      const qsizetype at = value.toUpper().indexOf("URL");
      if (at < 0)
        continue;
      qsizetype inner = at + 3;
      const QByteArray target = ResolveURL(ReadHtmlAttrValue(value, inner), base);
      if (!target.isEmpty())
        found.Add('^' + target);
      return;
    }
    if (name == "BASE") {
      if (attribute != "HREF")
        continue;
      base = GetBaseURL(value, maxBaseLength);
      return;
    }
    if (attribute == "CONTENT" || value.isEmpty())
      continue;
    if (name == "INPUT" && attribute != "SRC")
      continue;
    const QByteArray target = ResolveURL(value, base);
    if (!target.isEmpty())
      found.Add(KindMark(name, attribute) + target);
  }
}

QList<QByteArray> ScanLinks(const QByteArray &html, const QByteArray &pageUrl) {
  TFoundLinks found;
  QByteArray base = GetBaseURL(pageUrl, kMaxBaseLength);
  THtmlTagReader reader(html, kMaxLinkTagLength);
  QByteArray tag;
  while (reader.Next(tag)) {
    if (tag.size() >= kMinLinkTagLength)
      ProcessLinkTag(tag, base, kMaxBaseLength, found);
  }
  return found.Links();
}

} // namespace ql
