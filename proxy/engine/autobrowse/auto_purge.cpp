#include "proxy/engine/autobrowse/auto_purge.h"

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/cache/proxy_cache.h"

#include <QFile>

namespace ql {

int PurgeOldAutobrowseItems(TProxyCache &cache, const TBMInfo &bookmark) {
  std::vector<int32_t> old;
  cache.Index().ForEach([&](const TCacheItem &item) {
    if (item.EntryType == Auto && item.BMSerial == bookmark.SerialId &&
        item.BMGeneration < bookmark.Generation)
      old.push_back(item.ID);
  });
  for (const int32_t id : old) {
    QFile::remove(cache.Store().BodyPath(id));
    cache.Index().Remove(id);
  }
  return static_cast<int>(old.size());
}

} // namespace ql
