#include "proxy/engine/cache/latest_html_list.h"

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/mime_table.h"
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

} // namespace

void BuildLatestHtmlList(TListProgress *progress, TCacheList &list, const TCacheList &source) {
  TCacheList result;
  std::unordered_map<QByteArray, std::size_t, ByteArrayHash> slotOfSite;
  const std::size_t count = source.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (progress != nullptr && i % kProgressStep == 0 && count > 1 &&
        !progress->ShowProgress(static_cast<int>(i * 100 / (count - 1))))
      break;
    TCacheItem *item = source[i];
    if (item == nullptr || item->MimeIndex != TMimeTable::kTextHtml)
      continue;
    const auto [slot, added] = slotOfSite.try_emplace(SiteOf(item->URL), result.size());
    if (!added) {
      if (result[slot->second]->Retrieved <= item->Retrieved)
        continue;
      result[slot->second] = nullptr;
      slot->second = result.size();
    }
    result.push_back(item);
  }
  PackList(result);
  list.swap(result);
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
