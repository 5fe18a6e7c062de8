#pragma once

#include <QByteArray>

namespace ql {

// A URL as Autobrowse fetches it: split with the stored-URL splitters into host, port (80 when
// none) and path, and written back as "http://" + host + ":" + port + path, the cache key form.
struct TFetchTarget {
  QByteArray Host;
  int Port = 80;
  QByteArray Path;

  QByteArray Url() const;
};

TFetchTarget SplitFetchTarget(const QByteArray &url);

} // namespace ql
