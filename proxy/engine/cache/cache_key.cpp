#include "proxy/engine/cache/cache_key.h"

namespace ql {

QByteArray CacheKey(const QByteArray &host, int port, const QByteArray &path) {
  return "http://" + host + ':' + QByteArray::number(port) + path;
}

} // namespace ql
