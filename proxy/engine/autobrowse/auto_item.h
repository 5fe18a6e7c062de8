#pragma once

#include <QByteArray>
#include <cstdint>

namespace ql {

class TBMInfo;

// Count of Autobrowse fetches in flight. The Autobrowse engine raises it as it starts a fetch;
// every TAutoItem lowers it by one as it dies, never below 0.
extern int AutoFetchesInFlight;

// One URL waiting for, or being fetched by, an Autobrowse run. Owned by the run's queue or by
// the origin-side connection that fetches it (which frees it when it closes).
// BMInfo is not owned; the bookmark tree keeps it alive for the run. Cache holds the ID of the
// cache entry found when the URL was taken up (0 for none) rather than a pointer, so an entry
// evicted meanwhile is looked up again and found gone instead of being touched.
class TAutoItem {
public:
  TAutoItem() = default;
  ~TAutoItem();
  TAutoItem(const TAutoItem &) = delete;
  TAutoItem &operator=(const TAutoItem &) = delete;

  TBMInfo *BMInfo = nullptr;
  QByteArray URL;
  int32_t Depth = 0;
  int32_t Cache = 0;
  uint8_t Aborted = 0;
  // The bookmark's own page, or the page its redirects lead to: an error answer for it means
  // the run did not get the bookmark.
  bool Page = false;
};

} // namespace ql
