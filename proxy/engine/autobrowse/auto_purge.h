#pragma once

namespace ql {

class TBMInfo;
class TProxyCache;

// After a complete run of bookmark: removes every Auto entry of the bookmark (BMSerial is its
// serial id) whose generation is below the bookmark's, that is every entry an earlier run
// stored and this run did not meet. Each goes with its body file; the lists that follow the
// cache index (the Cache Explorer's view, the /cache page's results) drop it. Returns the
// number of entries removed.
int PurgeOldAutobrowseItems(TProxyCache &cache, const TBMInfo &bookmark);

} // namespace ql
