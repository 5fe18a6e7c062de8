#pragma once

#include "proxy/engine/cache/cache_list.h"

namespace ql {

// The orderings of a cache list, for the Cache Explorer and the /cache page. Each removes the
// list's empty slots and sorts it by its key, ascending for direction 0 and descending for
// direction 1 (the ascending order reversed); an empty list stays as it is. The order of
// entries with equal keys is not part of the contract. Keys are computed once per entry.
//   URL             the URL lower-cased, in byte order
//   Title           the title key below, lower-cased, in byte order
//   Date            Retrieved
//   Length          Length
//   Hits            Hits
// Title key: an HTML entry uses its title, or the file name of its URL when it has none; any
// other entry uses the file name of its URL when showFilenames is on (the setting Cache
// Explorer Properties/ShowFilenames) and it has a MIME type, else the empty text.
void SortCacheListByUrl(TCacheList &list, int direction);
void SortCacheListByTitle(TCacheList &list, int direction, bool showFilenames);
void SortCacheListByDate(TCacheList &list, int direction);
void SortCacheListByLength(TCacheList &list, int direction);
void SortCacheListByHits(TCacheList &list, int direction);

// Removes the empty slots, keeping the order of the rest.
void PackList(TCacheList &list);
// The list without its empty slots, in reverse order.
void ReverseList(TCacheList &list);

} // namespace ql
