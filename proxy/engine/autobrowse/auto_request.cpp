#include "proxy/engine/autobrowse/auto_request.h"

#include "proxy/engine/autobrowse/fetch_target.h"
#include "proxy/engine/http/http_date.h"
#include "proxy/engine/net/own_addresses.h"

namespace ql {

namespace {

QByteArray WithoutControls(const QByteArray &text) {
  QByteArray clean;
  clean.reserve(text.size());
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 32 && c != 127)
      clean += c;
  }
  return clean;
}

} // namespace

QByteArray BuildAutoRequest(const TAutoRequestFacts &facts) {
  const QByteArray port = QByteArray::number(facts.Port);
  QByteArray text;
  if (facts.UseUpstreamProxy)
    text = "GET http://" + facts.Host + ':' + port + facts.Path +
           " HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n";
  else
    text = "GET " + facts.Path + " HTTP/1.0\r\n";
  if (facts.CachedLastModified != kNoDate)
    text += "If-Modified-Since: " + FormatHttpDate(facts.CachedLastModified) + "\r\n";
  text += "User-Agent: " + WithoutControls(facts.UserAgent) + " (<A HREF=" + kHomePageAddress +
          "><IMG SRC=" + kLogoAddress + " BORDER=0></A>)\r\n";
  text += "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
  text += "Host: " + facts.Host;
  if (facts.Port != 80)
    text += ':' + port;
  text += "\r\n";
  if (!facts.Credentials.isEmpty())
    text += "Authorization: Basic " + WithoutControls(facts.Credentials) + "\r\n";
  text += "\r\n";
  return text;
}

bool SameServer(const QByteArray &url, const QByteArray &bookmarkUrl) {
  const TFetchTarget a = SplitFetchTarget(url);
  const TFetchTarget b = SplitFetchTarget(bookmarkUrl);
  return a.Host == b.Host && a.Port == b.Port;
}

} // namespace ql
