#pragma once

#include <QtGlobal>

namespace ql {

class TAutoItem;
struct TFetchResult;

// What an Autobrowse fetch tells the session that started it (through TAutoFetch, which its
// origin-side connection carries). The session outlives every connection it starts (it closes
// them when it stops or skips).
class TAutoFetchEvents {
public:
  virtual ~TAutoFetchEvents() = default;
  // n body bytes of the item's answer came in.
  virtual void AutoBytesReceived(qint64 n) = 0;
  // The connection closed with this answer; the download has not been moved yet. whole tells
  // whether the answer is known to be complete (see TOriginPipe). The session stores it,
  // follows its links and counts it.
  virtual void AutoFetchDone(TAutoItem &item, const TFetchResult &fetch, bool whole) = 0;
  // The connection has freed its item: a place in the window of fetches is free again.
  virtual void AutoFetchEnded() = 0;
};

} // namespace ql
