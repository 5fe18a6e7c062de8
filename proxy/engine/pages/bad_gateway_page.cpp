#include "proxy/engine/pages/bad_gateway_page.h"

#include "proxy/engine/html/html_escape.h"

namespace ql {

QByteArray BadGatewayPage(const QByteArray &host, int port, const QByteArray &path,
                          const QByteArray &headerBar, const char *what) {
  const QByteArray h = HtmlEscape(host);
  const QByteArray p = HtmlEscape(path);
  const QByteArray shown = "http://" + h + (port == 80 ? QByteArray() : ":" + QByteArray::number(port)) + p;
  QByteArray page = "HTTP/1.0 502 Bad Gateway\r\nContent-type: text/html; charset=UTF-8\r\n\r\n";
  // The page stands at the origin's address; its links go without a Referer.
  page += "<HEAD><TITLE>Quenlark Information</TITLE><META NAME=referrer CONTENT=no-referrer></HEAD><BODY "
          "BGCOLOR=#FFFFCC>\r\n" +
          headerBar;
  page += "<CENTER><BR><BR><B><FONT SIZE=+2>Bad Gateway</FONT></B>\r\n";
  page += "<BR><BR>" + QByteArray(what) + "<BR>";
  page += "<FONT SIZE=+2><B>" + shown + "</B></FONT>";
  page +=
      "<BR><BR><A HREF=\"http://" + h + ":" + QByteArray::number(port) + p + "\">Retry - " + shown + "</A>";
  page += "</CENTER><BR>" + headerBar + "</BODY>";
  return page;
}

} // namespace ql
