#pragma once

#include "proxy/engine/autobrowse/bookmark_tree.h"
#include "proxy/engine/pages/cache_page.h"
#include "proxy/engine/pages/page_windows.h"
#include "proxy/engine/pages/proxy_router.h"

#include <QString>

namespace ql {

class TProxyCache;
class TRegIniFile;

// The pages of the proxy's own pseudo-host, by the request's path:
//   /offline[?host/path], /online[?host/path]  switch the proxy off-line or on-line (and the
//                        control bar's button); with a target, redirect to "http://" + it;
//                        otherwise the rest of the path is handled as below
//   /bookmarks           the bookmark tree as a page, with a form that adds bookmarks;
//                        /bookmarks?... adds one and redirects to /bookmarks, or, without
//                        proof that it comes from that form, shows the folder page
//                        (BookmarkFolderPage), where the addition is confirmed
//   /cache[?...]         the searchable, paged listing of the cache (TCachePage)
//   /gbookmarks, /gcache show the Bookmarks window or the Cache Explorer, redirect to the page
//   /images/name         the shipped pictures (ImageAnswer)
//   anything else        redirect to /bookmarks
// A request that changes something (adds a bookmark, switches on-line or off-line, brings a
// window forward, writes the cache page's settings back) is carried out only when it comes
// from one of the proxy's own pages: its Referer and Origin, as far as it has them, name the
// pseudo-host, and it has one of them; or it carries the token of that action after its
// command word ("/gcache;" + token, page_token.h), which the pages put into their links and
// forms. The pages served at another site's address (Not in Cache, DNS not found), which that
// site's scripts may read, carry no token and no bookmark folder. Any other such request (a
// typed address, another site's link, image or script, with or without a Referer) changes
// nothing: a bookmark addition gets the folder page, the rest the confirmation page
// (confirm_page.h); a cache page is then shown without writing its settings.
// Every answer is whole, carries "Referrer-Policy: same-origin" and ends the connection.
//
// The cache and the settings store are not owned and must outlive the pages; the tree and the
// windows default to the stand-ins of bookmark_tree.h and page_windows.h. GUI thread only.
class TPseudoHost : public TPseudoHostPages {
public:
  TPseudoHost(TProxyCache &cache, TRegIniFile &settings, const QString &imagesDirectory);

  void SetTree(TBookmarkTree *tree);
  void SetWindows(TPageWindows *windows);

  bool HandlePseudoHostRequest(TClientPipe &pipe) override;
  QByteArray PageHeaderBar(const QByteArray &url) override;

  // The answer to a request for path (the part after the host); fromOwnPage when its Referer
  // or Origin shows that it comes from one of the pages.
  QByteArray Answer(const QByteArray &path, bool fromOwnPage);

private:
  QByteArray Route(const QByteArray &path, bool fromOwnPage);
  QByteArray BookmarksAnswer(const QByteArray &path, bool fromOwnPage);

  TProxyCache &cache_;
  TRegIniFile &settings_;
  QString imagesDirectory_;
  TCachePage cachePage_;
  TNoBookmarkTreeYet noTree_;
  TNoPageWindowsYet noWindows_;
  TBookmarkTree *tree_ = &noTree_;
  TPageWindows *windows_ = &noWindows_;
};

} // namespace ql
