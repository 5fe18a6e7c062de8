#pragma once

#include "proxy/engine/cache/watched_cache_list.h"
#include "proxy/engine/pages/page_html.h"

#include <QByteArray>

namespace ql {

class TProxyCache;
class TRegIniFile;

// The cache page's options as the settings store holds them ("HTML Cache Explorer
// Properties": SortDirection, SortedBy, MatchCase, ShowImages), each out-of-range value read
// as its default.
TCachePageOptions ReadCachePageOptions(const TRegIniFile &settings);

// The /cache page: a search of the cache by title, URL, body text, dates and file types, its
// result sorted by URL, title or date and shown a page at a time (CacheNumResults entries, at
// least 1), with a search form prefilled from the last search.
//
// The page keeps its state for the program run: the search texts, the page shown, and the
// result list, which follows the cache index (an entry the cache frees leaves it at once).
// A changed search runs the search again; paging reuses the list. The type flags, match case,
// order and show-images settings live in the settings store ("HTML Cache Explorer
// Properties") and are written back when a request that may write them changes them. The
// page's links and form carry the token of "/cache" (page_token.h).
//
// The cache and the settings store are not owned and must outlive the page. GUI thread only.
class TCachePage {
public:
  TCachePage(TProxyCache &cache, TRegIniFile &settings);

  // The whole answer to a request for "/cache" followed by rest ("" or "?" and a query). The
  // settings it changes are written back only when writeSettings is set (a request from one of
  // the proxy's own pages); otherwise they hold for this answer alone.
  QByteArray Answer(const QByteArray &rest, bool writeSettings);

private:
  struct TFlags {
    TCachePageOptions options;
    bool Text = true;
    bool Images = false;
    bool Video = false;
    bool Audio = false;
    bool Other = false;
  };

  TFlags ReadFlags() const;
  void WriteFlags(const TFlags &old, const TFlags &now);
  void Search(const TFlags &flags);
  void Sort(const TCachePageOptions &options);
  QByteArray RememberedQuery(const TFlags &flags) const;
  QByteArray Page(const TFlags &flags, const QByteArray &queryRest);
  void WriteRow(QByteArray &page, const TCacheItem &item, const TFlags &flags) const;
  void WritePager(QByteArray &page, std::size_t matches, int pages, const QByteArray &queryRest) const;
  void WriteSearchForm(QByteArray &page, const TFlags &flags) const;

  TProxyCache &cache_;
  TRegIniFile &settings_;
  TWatchedCacheList results_;
  bool stale_ = true;
  // The order the result list is in (SortedBy * 2 + SortDirection), -1 when unsorted. Only a
  // search changes the list's order; a removal keeps it.
  int sortedAs_ = -1;
  int page_ = 1;
  QByteArray from_;
  QByteArray to_;
  QByteArray title_;
  QByteArray url_;
  QByteArray html_;
};

} // namespace ql
