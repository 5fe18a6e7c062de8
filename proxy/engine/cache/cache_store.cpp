#include "proxy/engine/cache/cache_store.h"

#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/cache/download_file.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/html/html_title.h"
#include "proxy/engine/http/text_routines.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace ql {

TCacheStore::TCacheStore(TCacheIndex &index, const QString &dataDir)
    : index_(index), journal_(index, worker_, &recycler_) {
  SetDataDir(dataDir);
}

void TCacheStore::Close() {
  recycler_.SetSpareDirectory({});
  journal_.Close();
}

void TCacheStore::Collect() {
  journal_.Collect();
}

void TCacheStore::SetDataDir(const QString &dataDir) {
  data_dir_ = dataDir;
  journal_.Open(dataDir);
  body_prefix_ = dataDir.endsWith(QLatin1Char('/')) ? dataDir : dataDir + QLatin1Char('/');
  recycler_.SetSpareDirectory(dataDir.isEmpty() ? QByteArray()
                                                : QFile::encodeName(body_prefix_ + QStringLiteral("TEMP/")));
}

QString TCacheStore::BodyPath(int32_t id) const {
  return body_prefix_ + BodyFileName(id);
}

bool TCacheStore::CanKeepPostData(const QByteArray &postData) {
  return !postData.isEmpty() && postData.size() < kMaxCacheTextLength && !postData.contains('\0');
}

bool TCacheStore::HasWholeBody(const TCacheItem &item) const {
  struct stat body {};
  return ::stat(QFile::encodeName(BodyPath(item.ID)).constData(), &body) == 0 && S_ISREG(body.st_mode) &&
         body.st_size == item.Length;
}

TCacheItem *TCacheStore::FindCacheItem(const QByteArray &url, const QByteArray &postData, int mode) {
  for (const int32_t id : index_.IdsForUrl(url)) {
    TCacheItem *item = index_.FindCacheItemById(id);
    if (!item || item->PostData != postData)
      continue;
    if (!HasWholeBody(*item)) {
      index_.Remove(id);
      continue;
    }
    ++item->Hits;
    index_.SetLastAccessed(*item, Now());
    if (mode == kBrowserMode)
      item->Seen = 1;
    return item;
  }
  return nullptr;
}

bool TCacheStore::StoreCacheItem(int mode, const TFetchResult &fetch) {
  if (!fetch.Spooled || fetch.Download == nullptr || !fetch.Download->IsOpen())
    return false;
  const bool redirect = fetch.Status == 301 || fetch.Status == 302;
  if (fetch.BytesReceived <= 0 && !redirect)
    return false;
  if (fetch.Post && !CanKeepPostData(fetch.PostData))
    return false;
  int64_t limit = 0;
  if (mode == kBrowserMode)
    limit = max_item_size_;
  else if (mode == kAutoMode && fetch.Bookmark)
    limit = fetch.Bookmark->AutoItemSizeLimit();
  else
    return false;
  if (fetch.BytesReceived > limit || Backlogged())
    return false;
  // The body file must match the count the entry records, or the entry would be dropped at once.
  if (fetch.Download->Size() != fetch.BytesReceived)
    return false;

  const QByteArray key = CacheKey(fetch.Host, fetch.Port, fetch.Path);
  TCacheItem *existing = FindCacheItem(key, fetch.PostData, mode);
  // Once IDs are taken again from the lowest free ones, an evicted entry's ID is free only when
  // its removal is on the disk and its body gone: the worker's reports tell which are.
  if (!existing)
    Collect();
  const int32_t id = existing ? existing->ID : index_.PeekNextCacheId();
  if (!fetch.Download->MoveTo(BodyPath(id), existing != nullptr))
    return false;

  const bool trusted = fetch.BytesReceived == fetch.ContentLength && fetch.Status < 300;
  const bool html = fetch.MimeIndex == TMimeTable::kTextHtml;
  const QByteArray title = html ? ShortText(ExtractTitle(BodyPath(id))) : QByteArray();

  TCacheItem *item = existing;
  if (!item) {
    TCacheItem fresh;
    fresh.ID = index_.NextCacheId();
    fresh.URL = key;
    fresh.PostData = fetch.PostData;
    fresh.EntryType = mode == kAutoMode ? Auto : Normal;
    fresh.Retrieved = Now();
    fresh.Hits = 0;
    fresh.Length = 0;
    item = &index_.Put(std::move(fresh));
  } else {
    ++item->Hits;
  }
  item->LastModified = trusted ? fetch.LastModified : kNoDate;
  item->Validated = trusted ? 1 : 0;
  if (mode == kAutoMode) {
    fetch.Bookmark->MarkAutoEntry(*item);
    item->Seen = 0;
    index_.SetEntryType(*item, Auto);
  }
  item->MimeIndex = fetch.MimeIndex;
  item->Status = fetch.Status;
  item->Title = title;
  item->Location = redirect ? ShortText(fetch.Location) : QByteArray();
  index_.SetLastAccessed(*item, Now());
  index_.SetLength(*item, static_cast<int32_t>(fetch.BytesReceived));
  if (mode == kBrowserMode)
    NoteLastPage(*item);
  // The batch that carries this store also carries the evictions it makes.
  const bool made = !existing;
  TrimCache();
  JournalCacheItem(id);
  return made;
}

void TCacheStore::NoteLastPage(const TCacheItem &item) {
  if (item.MimeIndex != TMimeTable::kTextHtml || item.Status != kLastPageStatus)
    return;
  LastPageUrl = ShortText(item.URL);
  LastPageTitle = ShortText(item.Title);
}

void TCacheStore::TrimCache() {
  if (index_.CacheTotalSize() <= max_cache_size_)
    return;
  const TDateTime horizon = Now() + 1000.0;
  while (index_.CacheTotalSize() > max_cache_size_) {
    const TCacheItem *victim = index_.LeastRecentlyUsed(horizon);
    if (victim == nullptr)
      break;
    const int32_t id = victim->ID;
    if (journal_.Recording()) {
      index_.Evict(id);
    } else {
      if (!data_dir_.isEmpty())
        ::unlink(QFile::encodeName(BodyPath(id)).constData());
      index_.Remove(id);
    }
  }
}

} // namespace ql
