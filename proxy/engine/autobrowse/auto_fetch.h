#pragma once

#include "proxy/engine/net/fetch_receiver.h"

#include <memory>

namespace ql {

class TAutoFetchEvents;
class TAutoItem;

// One Autobrowse item as the origin-side connection that fetches it carries it: the item's
// bookmark sets the size limit, and the session that started the fetch (events) hears of the
// body and the answer with the item. At the close the item is freed first, then the session is
// told, so that its place in the window of fetches is free when the session looks. Owns the
// item, whose bookmark must be set; events must outlive it.
class TAutoFetch : public TFetchReceiver {
public:
  TAutoFetch(std::unique_ptr<TAutoItem> item, TAutoFetchEvents &events);
  ~TAutoFetch() override;

  int64_t ItemSizeLimit() const override;
  bool Aborted() const override;
  void Abort() override;
  void BodyReceived(qint64 n) override;
  void AnswerDone(const TFetchResult &fetch, bool whole) override;
  void Closed() override;

private:
  std::unique_ptr<TAutoItem> item_;
  TAutoFetchEvents &events_;
};

} // namespace ql
