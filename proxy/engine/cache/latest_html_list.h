#pragma once

#include "proxy/engine/cache/cache_list.h"
#include "proxy/engine/cache/list_progress.h"

#include <QByteArray>

namespace ql {

class TWatchedCacheList;

// Replaces list by the first page visited on each site: of the HTML entries of source (in its
// order), per site (the host of the URL's first 100 characters) the one retrieved first. An
// entry retrieved earlier than the one kept for its site takes that one's place at the end
// of the list. Every 10 entries the progress, when given, is shown; a progress that says stop
// leaves the list as built so far. Each site is found through an index, not by a search of
// the list.
void BuildLatestHtmlList(TListProgress *progress, TCacheList &list, const TCacheList &source);
// The same for lists that follow the cache index, for a walk whose progress lets window
// messages run: an entry that the cache frees meanwhile leaves the source and is never in the
// result. source and list may be one list.
void BuildLatestHtmlList(TListProgress *progress, TWatchedCacheList &list, const TWatchedCacheList &source);

// The first entry of list whose site equals the site of url, or nullptr.
TCacheItem *FindHtmlItemByUrl(const TCacheList &list, const QByteArray &url);

} // namespace ql
