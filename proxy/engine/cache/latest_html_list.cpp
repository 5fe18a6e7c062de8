#include "proxy/engine/cache/latest_html_list.h"

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/cache/watched_cache_list.h"
#include "proxy/engine/http/url_split.h"

#include <unordered_map>

namespace ql {

namespace {

constexpr qsizetype kSitePrefix = 100;
constexpr std::size_t kProgressStep = 10;

QByteArray SiteOf(const QByteArray &url) {
  QByteArray text = url.left(kSitePrefix);
  QByteArray host;
  UrlSplitHost(text, host);
  return host;
}

struct ByteArrayHash {
  std::size_t operator()(const QByteArray &key) const { return qHash(key); }
};

// The result of a plain list: slots stay as they are set.
struct TPlainResult {
  TCacheList list;
  TCacheItem *At(std::size_t slot) const { return list[slot]; }
  std::size_t Size() const { return list.size(); }
  void Append(TCacheItem *item) { list.push_back(item); }
  void EmptySlot(std::size_t slot) { list[slot] = nullptr; }
};

// The result of a followed list: a slot empties itself when its entry is freed.
struct TWatchedResult {
  explicit TWatchedResult(TCacheIndex &index) : list(index) {}
  TWatchedCacheList list;
  TCacheItem *At(std::size_t slot) const { return list.At(slot); }
  std::size_t Size() const { return list.Count(); }
  void Append(TCacheItem *item) { list.Append(item); }
  void EmptySlot(std::size_t slot) { list.EmptySlot(slot); }
};

// The source is read afresh at every step, since slots of a followed list may empty while
// the progress lets messages run.
template <typename Result>
void Build(TListProgress *progress, Result &result, const TCacheList &source, std::size_t count) {
  std::unordered_map<QByteArray, std::size_t, ByteArrayHash> slotOfSite;
  for (std::size_t i = 0; i < count; ++i) {
    if (progress != nullptr && i % kProgressStep == 0 && count > 1 &&
        !progress->ShowProgress(static_cast<int>(i * 100 / (count - 1))))
      break;
    TCacheItem *item = source[i];
    if (item == nullptr || item->MimeIndex != TMimeTable::kTextHtml)
      continue;
    const auto [slot, added] = slotOfSite.try_emplace(SiteOf(item->URL), result.Size());
    if (!added) {
      const TCacheItem *kept = result.At(slot->second);
      if (kept != nullptr && kept->Retrieved <= item->Retrieved)
        continue;
      result.EmptySlot(slot->second);
      slot->second = result.Size();
    }
    result.Append(item);
  }
}

} // namespace

void BuildLatestHtmlList(TListProgress *progress, TCacheList &list, const TCacheList &source) {
  TPlainResult result;
  Build(progress, result, source, source.size());
  PackList(result.list);
  list.swap(result.list);
}

void BuildLatestHtmlList(TListProgress *progress, TWatchedCacheList &list, const TWatchedCacheList &source) {
  TWatchedResult result(source.Index());
  Build(progress, result, source.Items(), source.Count());
  result.list.Change(PackList);
  list.Swap(result.list);
}

TCacheItem *FindHtmlItemByUrl(const TCacheList &list, const QByteArray &url) {
  const QByteArray site = SiteOf(url);
  for (TCacheItem *item : list) {
    if (item != nullptr && SiteOf(item->URL) == site)
      return item;
  }
  return nullptr;
}

} // namespace ql
