#include "proxy/engine/autobrowse/fetch_target.h"

#include "proxy/engine/http/url_split.h"

namespace ql {

QByteArray TFetchTarget::Url() const {
  return "http://" + Host + ':' + QByteArray::number(Port) + Path;
}

TFetchTarget SplitFetchTarget(const QByteArray &url) {
  TFetchTarget target;
  QByteArray text = url;
  UrlSplitHost(text, target.Host);
  target.Port = UrlSplitPort(text);
  target.Path = UrlSplitPath(text);
  return target;
}

} // namespace ql
