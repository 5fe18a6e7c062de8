#include "proxy/engine/http/request_target.h"

#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/text_routines.h"

namespace ql {

namespace {

// True when the target begins with a scheme name and "://": a URL the proxy does not fetch.
bool HasOtherScheme(const QByteArray &target) {
  const qsizetype at = target.indexOf("://");
  if (at <= 0)
    return false;
  for (qsizetype i = 0; i < at; ++i) {
    const char c = target[i];
    const bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                            c == '+' || c == '-' || c == '.';
    if (!schemeChar)
      return false;
  }
  return true;
}

} // namespace

bool CheckRequestTarget(QByteArray &requestLine) {
  QByteArray line = requestLine;
  TrimBlanks(line);
  const qsizetype blank = line.indexOf(' ');
  if (blank < 0)
    return false;
  const QByteArray method = line.left(blank);
  QByteArray target = line.mid(blank + 1);
  TrimBlanks(target);
  if (target.isEmpty())
    return false;
  for (const char c : target) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != ' ') || u == 0x7f)
      return false;
  }
  if (StartsWithNoCase(target, "HTTP://")) {
    const QByteArray rest = target.mid(7);
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != '/' && rest[end] != '\\' && rest[end] != '?' && rest[end] != ' ')
      ++end;
    const QByteArray authority = rest.left(end);
    if (authority.isEmpty() || authority.startsWith(':') || authority.contains('@') ||
        authority.contains('[') || authority.contains(']') || authority.count(':') > 1)
      return false;
    // A port, when one is written, is a number from 1 to 65535.
    const qsizetype colon = authority.indexOf(':');
    if (colon >= 0 && colon + 1 < authority.size() && ParsePortNumber(authority.mid(colon + 1)) == 0)
      return false;
  } else if (target.startsWith('/') || target.startsWith('\\') || HasOtherScheme(target)) {
    return false;
  }
  requestLine = method + ' ' + target.replace(" ", "%20");
  return true;
}

} // namespace ql
