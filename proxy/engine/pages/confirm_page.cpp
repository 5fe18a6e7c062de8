#include "proxy/engine/pages/confirm_page.h"

#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/pages/page_html.h"

namespace ql {

QByteArray ConfirmPage(const TConfirmation &confirmation) {
  const QByteArray address = HtmlEscape(confirmation.Address);
  QByteArray page = "HTTP/1.0 403 Forbidden\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                    "text/html; charset=UTF-8\r\nX-Frame-Options: DENY\r\nContent-Security-Policy: "
                    "frame-ancestors 'none'\r\n\r\n";
  page += QByteArray("<HEAD><TITLE>") + confirmation.Question + "</TITLE></HEAD><BODY BGCOLOR=#FFFFCC>\r\n";
  page += QByteArray("<CENTER><BR><B><FONT SIZE=+2>") + confirmation.Question + "</FONT></B><BR><BR>\r\n";
  QByteArray link = confirmation.Link;
  if (!address.isEmpty()) {
    page += "<FONT SIZE=+1>and go to <B>" + address + "</B></FONT><BR><BR>\r\n";
    link += " and go to " + address;
  }
  page += "<B><A HREF=" + HtmlEscapeAttribute(PseudoHostUrl() + confirmation.Path) + ">" + link +
          "</A></B></CENTER></BODY>\r\n";
  return page;
}

} // namespace ql
