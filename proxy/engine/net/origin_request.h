#pragma once

#include "proxy/engine/http/dates.h"
#include "proxy/engine/http/request_header.h"

#include <QByteArray>

namespace ql {

// What the request to the origin (or to the upstream proxy) is built from.
struct TOriginRequestFacts {
  TRequestMethod Method = TRequestMethod::kGet;
  QByteArray Host;
  int Port = 80;
  QByteArray Path;
  bool UseUpstreamProxy = false;
  TDateTime CachedLastModified = kNoDate;  // the stored copy's date, kNoDate for none
  const TRequestHeader *Browser = nullptr; // the browser's forwarded lines and flags
};

// The HTTP/1.0 request text, line by line: the request line (the full URL through an upstream
// proxy), If-Modified-Since when the stored copy is dated, Referer, Proxy-Connection through an
// upstream proxy, User-Agent with the proxy's "via" link, Pragma: no-cache, Host (when the
// browser sent one: the URL's host, with the port unless it is 80), Accept, Authorization,
// Cookie, Content-type, Content-length (POST only), and the empty line.
QByteArray BuildOriginRequest(const TOriginRequestFacts &facts);

} // namespace ql
