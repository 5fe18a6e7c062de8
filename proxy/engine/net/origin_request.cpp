#include "proxy/engine/net/origin_request.h"

#include "proxy/engine/http/http_date.h"
#include "proxy/engine/net/own_addresses.h"

namespace ql {

namespace {

const char *MethodText(TRequestMethod method) {
  switch (method) {
  case TRequestMethod::kPost:
    return "POST";
  case TRequestMethod::kHead:
    return "HEAD";
  default:
    return "GET";
  }
}

void AddLine(QByteArray &text, const std::string &line) {
  if (!line.empty())
    text += QByteArray::fromStdString(line) + "\r\n";
}

} // namespace

QByteArray BuildOriginRequest(const TOriginRequestFacts &facts) {
  static const TRequestHeader kNoFields;
  const TRequestHeader &b = facts.Browser ? *facts.Browser : kNoFields;
  QByteArray text = MethodText(facts.Method);
  if (facts.UseUpstreamProxy)
    text += " http://" + facts.Host + ':' + QByteArray::number(facts.Port) + facts.Path + " HTTP/1.0\r\n";
  else
    text += ' ' + facts.Path + " HTTP/1.0\r\n";
  if (facts.CachedLastModified != kNoDate)
    text += "If-Modified-Since: " + FormatHttpDate(facts.CachedLastModified) + "\r\n";
  AddLine(text, b.refererLine);
  if (facts.UseUpstreamProxy)
    text += "Proxy-Connection: Keep-Alive\r\n";
  if (!b.userAgentLine.empty())
    text += QByteArray::fromStdString(b.userAgentLine) + " via <A HREF=" + kHomePageAddress +
            "><IMG SRC=" + kLogoAddress + " WIDTH=74 HEIGHT=15 BORDER=0></A>\r\n";
  if (b.noCache)
    text += "Pragma: no-cache\r\n";
  // The Host line names the URL's own host: the answer is stored under the URL, so the origin
  // must answer for that host and not for whatever the browser wrote.
  if (!b.hostLine.empty()) {
    text += "Host: " + facts.Host;
    if (facts.Port != 80)
      text += ':' + QByteArray::number(facts.Port);
    text += "\r\n";
  }
  text += "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
  AddLine(text, b.authorizationLine);
  AddLine(text, b.cookieLine);
  AddLine(text, b.contentTypeLine);
  // Only a POST carries a body; a length on any other request would have the origin wait for
  // bytes that never come.
  if (b.hasLength && facts.Method == TRequestMethod::kPost)
    text += "Content-length: " + QByteArray::number(b.contentLength) + "\r\n";
  text += "\r\n";
  return text;
}

} // namespace ql
