#include "proxy/engine/pages/confirm_page.h"

#include "proxy/engine/html/html_escape.h"
#include "proxy/engine/pages/page_html.h"

namespace ql {

QByteArray ConfirmPage(const QByteArray &what, const QByteArray &path) {
  QByteArray page = "HTTP/1.0 403 Forbidden\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                    "text/html; charset=UTF-8\r\nX-Frame-Options: DENY\r\nContent-Security-Policy: "
                    "frame-ancestors 'none'\r\n\r\n";
  page += "<HEAD><TITLE>Quenlark Information</TITLE></HEAD><BODY BGCOLOR=#FFFFCC>\r\n";
  page += "<CENTER><BR><B><FONT SIZE=+2>403 Forbidden</FONT></B><BR><BR>Quenlark takes this request "
          "only from its own pages. If you made it yourself, follow the link:<BR><BR>\r\n";
  page += "<B><A HREF=" + HtmlEscapeAttribute(PseudoHostUrl() + path) + ">" + what +
          "</A></B></CENTER></BODY>\r\n";
  return page;
}

} // namespace ql
