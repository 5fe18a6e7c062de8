#pragma once

#include "proxy/engine/cache/cache_list.h"

#include <QByteArray>

namespace ql {

// Where a long walk over a cache list shows its progress (the Cache Explorer's progress bar):
// ShowProgress gets the percentage done, repaints and lets pending window messages run. It
// returns false to stop the walk.
class TListProgress {
public:
  virtual ~TListProgress() = default;
  virtual bool ShowProgress(int percent) = 0;
};

// Replaces list by the first page visited on each site: of the HTML entries of source (in its
// order), per site (the host of the URL's first 100 characters) the one retrieved first. An
// entry retrieved earlier than the one kept for its site takes that one's place at the end
// of the list. Every 10 entries the progress, when given, is shown; a progress that says stop
// leaves the list as built so far. Each site is found through an index, not by a search of
// the list.
void BuildLatestHtmlList(TListProgress *progress, TCacheList &list, const TCacheList &source);

// The first entry of list whose site equals the site of url, or nullptr.
TCacheItem *FindHtmlItemByUrl(const TCacheList &list, const QByteArray &url);

} // namespace ql
