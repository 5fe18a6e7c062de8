#include "proxy/engine/http/request_line.h"

#include "proxy/engine/http/text_routines.h"

namespace ql {
namespace {

constexpr int kDefaultPort = 80;

} // namespace

void SplitOffHost(QByteArray &text, QByteArray &host) {
  qsizetype slash = text.indexOf('/');
  qsizetype colon = text.indexOf(':');
  qsizetype end = slash;
  if (colon >= 0 && (slash < 0 || colon < slash))
    end = colon;
  if (end < 0) {
    host = text.toLower();
    text.clear();
  } else {
    host = text.left(end).toLower();
    text.remove(0, end);
  }
  if (host.isEmpty())
    host = "NONE";
}

int ParsePortNumber(const QByteArray &digits) {
  if (digits.isEmpty() || digits.size() > 5)
    return 0;
  int port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

void UrlExtractHost(QByteArray &text, QByteArray &host) {
  TrimBlanks(text);
  qsizetype version = text.toUpper().indexOf(" HTTP/1.0");
  if (version >= 0)
    text.truncate(version);
  for (const char *method : {"GET ", "POST ", "HEAD "}) {
    if (StartsWithNoCase(text, method)) {
      text.remove(0, qsizetype(qstrlen(method)));
      break;
    }
  }
  for (const char *scheme : {"FTP://", "FILE://", "GOPHER://", "NEWS://", "HTTPS://", "MAILTO://"}) {
    if (StartsWithNoCase(text, scheme)) {
      host = "NONE";
      text.clear();
      return;
    }
  }
  if (StartsWithNoCase(text, "HTTP://"))
    text.remove(0, 7);
  text.replace('\\', '/');
  SplitOffHost(text, host);
}

int UrlExtractPort(QByteArray &text) {
  if (!text.startsWith(':'))
    return kDefaultPort;
  qsizetype slash = text.indexOf('/');
  QByteArray digits = slash < 0 ? text.mid(1) : text.mid(1, slash - 1);
  if (slash < 0)
    text.clear();
  else
    text.remove(0, slash);
  int port = ParsePortNumber(digits);
  return port != 0 ? port : kDefaultPort;
}

QByteArray UrlExtractPath(const QByteArray &text) {
  QByteArray path = text;
  TrimBlanks(path);
  path.replace('\\', '/');
  if (path.isEmpty())
    path = "/";
  return path;
}

QByteArray NormalizeUrl(const QByteArray &url) {
  QByteArray rest = url;
  QByteArray host;
  UrlExtractHost(rest, host);
  if (UrlExtractPort(rest) != kDefaultPort)
    return url;
  return "http://" + host + UrlExtractPath(rest);
}

} // namespace ql
