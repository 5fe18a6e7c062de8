#include "proxy/engine/http/url_split.h"

#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/text_routines.h"

namespace ql {

void UrlSplitHost(QByteArray &text, QByteArray &host) {
  TrimBlanksStr(text);
  qsizetype version = text.toUpper().indexOf("HTTP/1.0");
  if (version >= 0)
    text.truncate(version);
  for (const char *method : {"POST ", "HEAD ", "GET "}) {
    if (StartsWithNoCase(text, method)) {
      text.remove(0, qsizetype(qstrlen(method)));
      break;
    }
  }
  for (const char *scheme : {"FILE://", "GOPHER://", "HTTPS://", "NEWS:", "MAILTO:"}) {
    if (StartsWithNoCase(text, scheme)) {
      host = "NONE";
      text.clear();
      return;
    }
  }
  for (const char *prefix : {"HTTP://", "FTP://"}) {
    if (StartsWithNoCase(text, prefix)) {
      text.remove(0, qsizetype(qstrlen(prefix)));
      break;
    }
  }
  SplitOffHost(text, host);
}

int UrlSplitPort(QByteArray &text) {
  if (!text.startsWith(':'))
    return 80;
  qsizetype slash = text.indexOf('/');
  qsizetype end = slash < 0 ? text.size() : slash;
  int port = ParsePortNumber(text.mid(1, end - 1));
  text.remove(0, end);
  return port != 0 ? port : 80;
}

QByteArray UrlSplitPath(const QByteArray &text) {
  QByteArray path = text;
  TrimBlanksStr(path);
  path.replace('\\', '/');
  if (path.isEmpty())
    path = "/";
  return path;
}

} // namespace ql
