#pragma once

#include <QByteArray>

namespace ql {

// Pieces shared by the pages of the proxy's pseudo-host.

// "http://" + the pseudo-host: the start of every URL of the proxy's own pages.
QByteArray PseudoHostUrl();

// The header of a generated page: "HTTP/1.0 200 OK", Allow, MIME-version and text/html.
extern const char kPageStart[];

// The whole "302 Now Get..." answer that sends the browser to target.
QByteArray RedirectAnswer(const QByteArray &target);

// The bar at the top and bottom of the proxy's pages: the on-line/off-line switch (which
// comes back to pageUrl), the bookmarks and cache buttons (on their own page they open the
// desktop window instead), the page's heading and the news link. The window links carry their
// tokens (page_token.h); so does the switch on a page of the pseudo-host, a token that allows
// only that switch. On a page at another address (Not in Cache, DNS not found), which that
// site's scripts may read, the switch carries none. pageUrl is the page's own URL, with or
// without "http://"; "quenlark.invalid/bookmarks" and "quenlark.invalid/cache" name the two
// pages, anything else gets the heading "Quenlark Information".
QByteArray PageHeaderBar(const QByteArray &pageUrl);

// The settings of the cache page that its links carry ("HTML Cache Explorer Properties").
struct TCachePageOptions {
  int SortDirection = 0; // 0 ascending, 1 descending
  int SortedBy = 1;      // 1 URL, 2 title, 3 date
  bool MatchCase = false;
  bool ShowImages = false;
};

// The URL of the cache page listing the entries of host, with its token: page 1, the dates
// given, the type key given (text, images, video, audio or other) and the options. Values are query-encoded;
// the caller escapes the URL for the place it writes it.
QByteArray CacheListLink(const QByteArray &host, const QByteArray &from, const QByteArray &to,
                         const char *typeKey, const TCachePageOptions &options);

} // namespace ql
