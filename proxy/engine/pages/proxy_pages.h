#pragma once

#include <QByteArray>

#include <vector>

namespace ql {

// A link that the "Not in Cache" page suggests instead of the missing URL.
struct TSuggestion {
  enum Kind {
    kDirectory,  // the same URL with a "/" added
    kQueryPage,  // a stored page whose URL shares the part up to the "?"
    kRedirected, // the page a stored redirect with that part leads to
  };
  Kind kind = kDirectory;
  QByteArray Url; // as shown, NormalizeUrl applied
  QByteArray Title;
};

// What the "Not in Cache" page shows. Every text is taken as received; the page escapes it.
struct TNotInCacheFacts {
  QByteArray Host;
  int Port = 80;
  QByteArray Path;
  bool IsGet = true;
  QByteArray Referrer;  // the Referer line's text after its first blank
  QByteArray HeaderBar; // the pages' common header bar, written twice
  std::vector<TSuggestion> Suggestions;
};

// The whole "HTTP/1.0 404 Not in Cache" answer, header and page. The page stands at the
// missing URL's address, where that site's scripts may read it, so it holds nothing of the
// user's: its switch link carries no token (the pseudo-host confirms the switch), and its
// add-bookmark form lists no folder (the pseudo-host's folder page completes the addition).
QByteArray NotInCachePage(const TNotInCacheFacts &facts);

// The whole built-in news page answer ("HTTP/1.0 200 OK").
QByteArray NewsPage();

// The whole "HTTP/1.0 404 DNS not found" answer for a host name that could not be looked up.
QByteArray DnsNotFoundPage(const QByteArray &host, int port, const QByteArray &path,
                           const QByteArray &headerBar);

// The "302 Now Get..." answer for a host name without a dot: the same request at
// "www." + host + ".com".
QByteArray NowGetRedirect(const QByteArray &host, int port, const QByteArray &path);

} // namespace ql
