#pragma once

#include <QtGlobal>

#include <cstdint>

namespace ql {

struct TFetchResult;

// What an origin-side connection fetches for when no browser waits for the answer (an
// Autobrowse run's item): it sets the largest body to take, hears of the body as it comes, and
// gets the answer when the connection closes. The connection owns it and frees it right after
// Closed, or when it is destroyed without closing.
class TFetchReceiver {
public:
  virtual ~TFetchReceiver() = default;
  // The largest body that may be stored; a longer one aborts the fetch.
  virtual int64_t ItemSizeLimit() const = 0;
  // An aborted fetch ends its connection, and its answer is not used.
  virtual bool Aborted() const = 0;
  virtual void Abort() = 0;
  // n body bytes of the answer came in.
  virtual void BodyReceived(qint64 n) = 0;
  // The connection closed with this answer; the download has not been moved yet. whole tells
  // whether the answer is known to be complete (see TOriginPipe).
  virtual void AnswerDone(const TFetchResult &fetch, bool whole) = 0;
  // The connection has closed.
  virtual void Closed() = 0;
};

} // namespace ql
