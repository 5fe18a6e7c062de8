#pragma once

#include <QByteArray>

namespace ql {

// "http://" + host + ":" + port + path: the cache key of a request, the port always written.
QByteArray CacheKey(const QByteArray &host, int port, const QByteArray &path);

} // namespace ql
