#pragma once

#include "proxy/engine/cache/cache_item.h"

#include <QByteArray>

namespace ql {

class TMimeTable;

// The response header the proxy writes for an answer from a cache entry: the status line
// (left out when statusText is empty), Location for a stored redirect, Allow, MIME-version,
// Content-type, Last-Modified and Content-length when the entry has them, and the empty line.
QByteArray CacheHeader(const QByteArray &statusText, const TCacheItem &item, const TMimeTable &mimes);

} // namespace ql
