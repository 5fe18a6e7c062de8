#include "proxy/engine/cache/cache_list_sort.h"

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/http/url_parts.h"

#include <algorithm>
#include <utility>

namespace ql {

namespace {

template <typename Key, typename KeyOf> void SortBy(TCacheList &list, int direction, KeyOf keyOf) {
  PackList(list);
  if (list.empty())
    return;
  std::vector<std::pair<Key, TCacheItem *>> keyed;
  keyed.reserve(list.size());
  for (TCacheItem *item : list)
    keyed.emplace_back(keyOf(*item), item);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i)
    list[i] = keyed[i].second;
  if (direction == 1)
    std::reverse(list.begin(), list.end());
}

QByteArray TitleKey(const TCacheItem &item, bool showFilenames) {
  if (item.MimeIndex == TMimeTable::kTextHtml)
    return (item.Title.isEmpty() ? UrlFileName(item.URL) : item.Title).toLower();
  if (showFilenames && item.MimeIndex != 0)
    return UrlFileName(item.URL).toLower();
  return {};
}

} // namespace

void SortCacheListByUrl(TCacheList &list, int direction) {
  SortBy<QByteArray>(list, direction, [](const TCacheItem &item) { return item.URL.toLower(); });
}

void SortCacheListByTitle(TCacheList &list, int direction, bool showFilenames) {
  SortBy<QByteArray>(list, direction,
                     [showFilenames](const TCacheItem &item) { return TitleKey(item, showFilenames); });
}

void SortCacheListByDate(TCacheList &list, int direction) {
  SortBy<TDateTime>(list, direction, [](const TCacheItem &item) { return item.Retrieved; });
}

void SortCacheListByLength(TCacheList &list, int direction) {
  SortBy<int32_t>(list, direction, [](const TCacheItem &item) { return item.Length; });
}

void SortCacheListByHits(TCacheList &list, int direction) {
  SortBy<int32_t>(list, direction, [](const TCacheItem &item) { return item.Hits; });
}

void PackList(TCacheList &list) {
  list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
}

void ReverseList(TCacheList &list) {
  PackList(list);
  std::reverse(list.begin(), list.end());
}

} // namespace ql
