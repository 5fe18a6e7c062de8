#pragma once

#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/pages/failed_fetch_answers.h"
#include "proxy/engine/pages/proxy_pages.h"

#include <QByteArray>

#include <vector>

namespace ql {

class TClientPipe;
class TProxyCache;
struct TCacheItem;

// The pages of the proxy's own pseudo-host, built on their own and reached through this seam.
class TPseudoHostPages {
public:
  virtual ~TPseudoHostPages() = default;
  // Answers a request for the pseudo-host. Returns true when the request is to be routed on
  // like a request for any other host, false when it has been answered.
  virtual bool HandlePseudoHostRequest(TClientPipe &pipe) = 0;
  // The pages' common header bar for a page about url.
  virtual QByteArray PageHeaderBar(const QByteArray &url) = 0;
};

// Routes each complete browser request: to the pseudo-host's pages, to a "302 Now Get..."
// redirect for a host name without a dot, to the cache (a HEAD gets the entry's header alone),
// to the off-line "Not in Cache" and news pages, or to an origin-side connection that fetches
// the object (conditionally when the cache holds a dated copy), which takes the POST body over. A request
// line or field with a lone CR or LF, and a target that names no host the proxy can fetch from
// (CheckRequestTarget), get the "400 Invalid request" answer.
//
// The cache and the pages are not owned and must outlive the router. Without pages, requests
// for the pseudo-host are routed on like any other. GUI thread only.
class TProxyRouter : public TRequestRouter {
public:
  explicit TProxyRouter(TProxyCache &cache, TPseudoHostPages *pages = nullptr);

  void HandleProxyRequest(TClientPipe &pipe) override;

private:
  struct TRoute {
    QByteArray host;
    int port = 80;
    QByteArray path;
  };

  // Answers from the entry. False when its body turned out not to be whole: the entry has
  // then been dropped, and the request is to be answered as a miss.
  bool AnswerFromCache(TClientPipe &pipe, TCacheItem &item);
  void HandleOfflineRequest(TClientPipe &pipe, const TRoute &route, TCacheItem *item);
  void ForwardRequest(TClientPipe &pipe, const TRoute &route, TCacheItem *item);
  std::vector<TSuggestion> Suggestions(const QByteArray &key, const QByteArray &path);
  void Send(TClientPipe &pipe, const QByteArray &text, bool complete);

  TProxyCache &cache_;
  TPseudoHostPages *pages_;
  TFailedFetchAnswers failurePages_;
};

} // namespace ql
