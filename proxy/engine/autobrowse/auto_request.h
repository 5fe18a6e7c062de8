#pragma once

#include "proxy/engine/http/dates.h"

#include <QByteArray>

namespace ql {

// What the request of an Autobrowse fetch is built from.
struct TAutoRequestFacts {
  QByteArray Host;
  int Port = 80;
  QByteArray Path;
  bool UseUpstreamProxy = false;
  TDateTime CachedLastModified = kNoDate; // the stored copy's date, kNoDate for none
  QByteArray UserAgent;                   // the Network/UserAgent setting
  QByteArray Credentials;                 // Base64 of "user:password", empty for none
};

// The HTTP/1.0 GET request of an Autobrowse fetch, line by line: the request line (the full
// URL, and then Proxy-Connection, through an upstream proxy), If-Modified-Since when the stored
// copy is dated, User-Agent (the setting, control characters left out, and a link to the
// program's home page showing its logo), Accept, Host (the URL's host, with the port unless it
// is 80, so that a server of many sites answers for the right one), Authorization: Basic when
// credentials are given, and the empty line.
QByteArray BuildAutoRequest(const TAutoRequestFacts &facts);

// True when url names the same host and port as bookmarkUrl: a bookmark's credentials go only
// to its own server, never to the other hosts its run reaches.
bool SameServer(const QByteArray &url, const QByteArray &bookmarkUrl);

} // namespace ql
