// The end of an Autobrowse fetch: what the session does with the answer an origin-side
// connection received, and with a cache entry confirmed earlier in this run.
#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/item_links.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/html/html_links.h"
#include "proxy/engine/http/url_resolve.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/reg_ini_file.h"

#include <cmath>

namespace ql {

namespace {

bool IsSuccess(int status) {
  return status >= 200 && status < 300;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302;
}

} // namespace

void TAutobrowseSession::ExtractLinksOf(TAutoItem &item, const QString &path) {
  ExtractLinks(item, path,
               [this](const QByteArray &link, TAutoItem &parent) { queue_.QueueAutoLink(link, parent); });
}

void TAutobrowseSession::QueueRedirect(TAutoItem &item, const QByteArray &location) {
  const QByteArray target = ResolveURL(location, GetBaseURL(item.URL, kMaxBaseLength));
  if (target.isEmpty())
    return;
  if (TAutoItem *next = queue_.QueueAutoLink('^' + target, item))
    next->Page = item.Page;
}

void TAutobrowseSession::MarkEntryMet(TCacheItem &entry, const TBMInfo &bookmark) {
  cache_.Index().SetEntryType(entry, Auto);
  entry.BMSerial = bookmark.SerialId;
  entry.BMGeneration = bookmark.Generation;
}

bool TAutobrowseSession::HasGoodCopy(const QByteArray &url) {
  for (const int32_t id : cache_.Index().IdsForUrl(url)) {
    const TCacheItem *entry = cache_.Index().FindCacheItemById(id);
    // An entry made by a POST stands for that POST, never for the page a GET fetches.
    if (entry != nullptr && entry->PostData.isEmpty() && IsSuccess(entry->Status) &&
        cache_.Store().HasWholeBody(*entry))
      return true;
  }
  return false;
}

void TAutobrowseSession::UseValidatedEntry(TAutoItem &item, TCacheItem &entry) {
  const TBMInfo &bookmark = *item.BMInfo;
  MarkEntryMet(entry, bookmark);
  ++itemsRetrieved_;
  if (item.Page && entry.Status >= 400)
    pageFailed_ = true;
  if (entry.MimeIndex == TMimeTable::kTextHtml && IsSuccess(entry.Status))
    ExtractLinksOf(item, cache_.Store().BodyPath(entry.ID));
  else if (IsRedirect(entry.Status))
    QueueRedirect(item, entry.Location);
}

void TAutobrowseSession::AutoFetchDone(TAutoItem &item, const TFetchResult &answer, bool whole) {
  TBMInfo *bookmark = item.BMInfo;
  if (bookmark == nullptr)
    return;
  TFetchResult fetch = answer;
  fetch.Bookmark = bookmark;
  const int status = fetch.Status;
  const bool usable = !item.Aborted && !bookmark->Hold;

  if ((status >= 200 && status < 299) || status >= 400) {
    if (whole && usable && bookmark->MaxItemSize >= fetch.BytesReceived) {
      if (fetch.MimeIndex == TMimeTable::kTextHtml && IsSuccess(status))
        ExtractLinksOf(item, fetch.DownloadPath);
      // An error answer for the bookmark's own page never takes the place of a good copy.
      const bool pageError = item.Page && status >= 400;
      if (pageError)
        pageFailed_ = true;
      if (!pageError || !HasGoodCopy(item.URL)) {
        cache_.Store().SetDiskFull(DiskFull);
        cache_.Store().StoreCacheItem(kAutoMode, fetch);
      }
      ++itemsRetrieved_;
    }
  } else if (IsRedirect(status)) {
    if (whole) {
      fetch.MimeIndex = 0;
      fetch.LastModified = kNoDate;
      cache_.Store().SetDiskFull(DiskFull);
      cache_.Store().StoreCacheItem(kAutoMode, fetch);
    }
    QueueRedirect(item, fetch.Location);
  }

  if (news_ && bookmark == news_.get()) {
    NewsDue = false;
    try {
      settings_.WriteInteger(QStringLiteral("General"), QStringLiteral("CheckIn"),
                             static_cast<int>(std::floor(Now())));
    } catch (...) {
    }
  }
  if (status == 304) {
    TCacheItem *entry = item.Cache != 0 ? cache_.Index().FindCacheItemById(item.Cache) : nullptr;
    if (entry == nullptr)
      return;
    entry->Validated = 1;
    entry->Retrieved = Now();
    MarkEntryMet(*entry, *bookmark);
    ++itemsRetrieved_;
    if (item.Page && entry->Status >= 400)
      pageFailed_ = true;
    if (usable && entry->MimeIndex == TMimeTable::kTextHtml && IsSuccess(entry->Status))
      ExtractLinksOf(item, cache_.Store().BodyPath(entry->ID));
  } else if (news_ && bookmark == news_.get() && status == 200 && fetch.MimeIndex == TMimeTable::kTextHtml) {
    EngineSettings.NewsUpdated = true;
    try {
      settings_.WriteBool(QStringLiteral("General"), QStringLiteral("NewsUpdated"), true);
    } catch (...) {
    }
  }
}

} // namespace ql
