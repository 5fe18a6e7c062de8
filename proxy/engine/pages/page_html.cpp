#include "proxy/engine/pages/page_html.h"

#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/own_addresses.h"
#include "proxy/engine/pages/page_token.h"
#include "proxy/engine/pages/query_string.h"

namespace ql {

namespace {

QByteArray Button(const QByteArray &target, const char *image) {
  return "<TD WIDTH=1%><A HREF=" + target + "><IMG WIDTH=25 HEIGHT=24 BORDER=0 SRC=" + PseudoHostUrl() +
         "/images/" + image + "></A></TD>\r\n";
}

} // namespace

// No other site may show these pages in a frame of its own: a hidden frame would let it make
// the user press the pages' buttons, which the Referer guard then takes as the user's own.
const char kPageStart[] = "HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                          "text/html; charset=UTF-8\r\nX-Frame-Options: DENY\r\n"
                          "Content-Security-Policy: frame-ancestors 'none'\r\n\r\n";

QByteArray PseudoHostUrl() {
  return QByteArray("http://") + kPseudoHost;
}

QByteArray RedirectAnswer(const QByteArray &target) {
  return "HTTP/1.0 302 Now Get... \r\nLocation: " + target +
         "\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n\r\n";
}

QByteArray PageHeaderBar(const QByteArray &pageUrl) {
  QByteArray url = pageUrl;
  // The switch sends the browser to "http://" + what follows its "?".
  if (StartsWithNoCase(url, "http://"))
    url.remove(0, 7);
  const QByteArray self = PseudoHostUrl();
  const QByteArray host = kPseudoHost;
  const bool bookmarks = url == host + "/bookmarks";
  const bool cache = url == host + "/cache";
  // A page that stands at another site's address can be read by that site's scripts: its
  // switch carries no token, and the switch is confirmed on the confirmation page.
  const bool ownPage = url == host || url.startsWith(host + '/');
  const QByteArray command = OffLineMode ? "/online" : "/offline";
  const QByteArray switchPath = ownPage ? SwitchPath(command, url) : command + '?' + url;

  QByteArray bar = "<CENTER><TABLE BORDER=4 WIDTH=95%><TR>\r\n<TD WIDTH=1% ALIGN=CENTER><TABLE BORDER=0 "
                   "CELLPADDING=0 CELLSPACING=0><TR>";
  bar += Button(HtmlEscapeAttribute(self + switchPath), OffLineMode ? "offline.gif" : "online.gif");
  bar += bookmarks ? Button(self + TokenPath("/gbookmarks"), "gbkmark.gif")
                   : Button(self + "/bookmarks", "bookmark.gif");
  bar += cache ? Button(self + TokenPath("/gcache"), "gcache.gif") : Button(self + "/cache", "cache.gif");
  bar += "</TR></TABLE></TD>\r\n<TH>";
  bar += bookmarks ? "Quenlark Bookmarks" : cache ? "Quenlark Cache Explorer" : "Quenlark Information";
  bar += "</TH>\r\n<TD WIDTH=1% ALIGN=CENTER><A HREF=" + QByteArray(kNewsAddress) +
         "><IMG WIDTH=78 HEIGHT=24 BORDER=0 SRC=" + self +
         "/images/logo.gif></A></TD></TR></TABLE></CENTER>\r\n";
  return bar;
}

QByteArray CacheListLink(const QByteArray &host, const QByteArray &from, const QByteArray &to,
                         const char *typeKey, const TCachePageOptions &options) {
  QByteArray link = PseudoHostUrl() + TokenPath("/cache") +
                    "?page=1&title=&html=&from=" + EncodeQueryValue(from) + "&to=" + EncodeQueryValue(to) +
                    '&' + typeKey + "=y&url=" + EncodeQueryValue(host);
  if (options.MatchCase)
    link += "&case=y";
  link += options.SortedBy == 2 ? "&sort=t" : options.SortedBy == 3 ? "&sort=d" : "&sort=u";
  link += options.SortDirection == 0 ? "&order=a" : "&order=d";
  if (options.ShowImages)
    link += "&showimages=y";
  return link;
}

} // namespace ql
