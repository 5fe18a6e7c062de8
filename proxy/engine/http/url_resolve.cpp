#include "proxy/engine/http/url_resolve.h"

#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"

namespace ql {

QByteArray GetBaseURL(const QByteArray &url, qsizetype maxLength) {
  QByteArray base = StartsWithNoCase(url, "HTTP://") ? url.mid(7) : url;
  const qsizetype slash = base.lastIndexOf('/');
  if (slash >= 0 && !base.endsWith('/'))
    base.truncate(slash + 1);
  base.truncate(maxLength);
  return base;
}

QByteArray ResolveURL(const QByteArray &link, const QByteArray &base) {
  QByteArray rest = link;
  QByteArray dir = base;
  while (rest.startsWith("./"))
    rest.remove(0, 2);
  while (rest.startsWith("../")) {
    rest.remove(0, 3);
    const qsizetype slash = dir.indexOf('/');
    if (slash >= 0 && slash < dir.size() - 1) {
      dir.chop(1);
      while (!dir.endsWith('/'))
        dir.chop(1);
    }
  }
  if (rest.startsWith('#') || StartsWithNoCase(rest, "NEWS:") || StartsWithNoCase(rest, "MAILTO:"))
    return QByteArray();
  const qsizetype fragment = rest.indexOf('#');
  if (fragment >= 0)
    rest.truncate(fragment);

  QByteArray absolute;
  if (!rest.contains("://")) {
    if (!dir.contains('/'))
      dir.append('/');
    if (rest.startsWith('/'))
      absolute = "http://" + dir.left(dir.indexOf('/')) + rest;
    else
      absolute = "http://" + dir + rest;
  } else {
    absolute = rest;
  }
  if (!StartsWithNoCase(absolute, "HTTP://"))
    return absolute;

  QByteArray host;
  UrlSplitHost(absolute, host);
  const int port = UrlSplitPort(absolute);
  return "http://" + host + ':' + QByteArray::number(port) + UrlSplitPath(absolute);
}

} // namespace ql
