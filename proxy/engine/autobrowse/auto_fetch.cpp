#include "proxy/engine/autobrowse/auto_fetch.h"

#include "proxy/engine/autobrowse/auto_fetch_events.h"
#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/bookmark_info.h"

namespace ql {

TAutoFetch::TAutoFetch(std::unique_ptr<TAutoItem> item, TAutoFetchEvents &events)
    : item_(std::move(item)), events_(events) {}

TAutoFetch::~TAutoFetch() = default;

int64_t TAutoFetch::ItemSizeLimit() const {
  return item_->BMInfo->MaxItemSize;
}

bool TAutoFetch::Aborted() const {
  return item_->Aborted != 0;
}

void TAutoFetch::Abort() {
  item_->Aborted = 1;
}

void TAutoFetch::BodyReceived(qint64 n) {
  events_.AutoBytesReceived(n);
}

void TAutoFetch::AnswerDone(const TFetchResult &fetch, bool whole) {
  events_.AutoFetchDone(*item_, fetch, whole);
}

void TAutoFetch::Closed() {
  item_.reset();
  events_.AutoFetchEnded();
}

} // namespace ql
