#include "proxy/engine/pages/proxy_router.h"

#include "proxy/engine/cache/cache_answer.h"
#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/request_check.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/request_target.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/net/client_pipe.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/origin_pipe.h"
#include "proxy/engine/net/origin_request.h"
#include "proxy/engine/net/own_addresses.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <set>

namespace ql {

namespace {

constexpr char kInvalidRequestAnswer[] = "HTTP/1.0 400 Invalid request\r\nAllow: GET POST\r\n\r\n";

// Bodies up to this size are read whole and sent together with their header.
constexpr int32_t kInlineBodyMax = 65536;

// Appends the file's bytes to text; true when it held exactly length bytes.
bool AppendBodyFile(QByteArray &text, const QString &path, int32_t length) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const qsizetype start = text.size();
  text.resize(start + length + 1);
  qsizetype got = 0;
  while (got <= length) {
    const ssize_t n = ::read(fd, text.data() + start + got, static_cast<std::size_t>(length + 1 - got));
    if (n <= 0)
      break;
    got += n;
  }
  ::close(fd);
  text.resize(start + got);
  return got == length;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302;
}

} // namespace

TProxyRouter::TProxyRouter(TProxyCache &cache, TPseudoHostPages *pages) : cache_(cache), pages_(pages) {}

void TProxyRouter::Send(TClientPipe &pipe, const QByteArray &text, bool complete) {
  if (complete)
    pipe.CloseAfterSend = true;
  pipe.SendBytes(text.constData(), static_cast<std::size_t>(text.size()));
}

void TProxyRouter::HandleProxyRequest(TClientPipe &pipe) {
  const TRequestReader &request = pipe.Request();
  if (HasLoneLineBreak(request.HeaderText())) {
    Send(pipe, kInvalidRequestAnswer, true);
    return;
  }
  TRoute route;
  QByteArray text = QByteArray::fromStdString(request.Header().requestLine);
  if (!CheckRequestTarget(text)) {
    Send(pipe, kInvalidRequestAnswer, true);
    return;
  }
  UrlExtractHost(text, route.host);
  route.port = UrlExtractPort(text);
  route.path = UrlExtractPath(text);
  // Another scheme, or no host: nothing the proxy could fetch or redirect to.
  if (route.host == "NONE") {
    Send(pipe, kInvalidRequestAnswer, true);
    return;
  }

  if (route.host == kPseudoHost && pages_ != nullptr && !pages_->HandlePseudoHostRequest(pipe))
    return;
  if (!route.host.contains('.')) {
    Send(pipe, NowGetRedirect(route.host, route.port, route.path), true);
    return;
  }

  // A cache entry stands for its method and POST data together. On-line a POST always goes to
  // the origin (a form sent twice is sent twice); off-line it is answered from the entry stored
  // for the same data, and a POST without data has none.
  const QByteArray key = CacheKey(route.host, route.port, route.path);
  const bool post = request.Header().method == TRequestMethod::kPost;
  TCacheItem *item = nullptr;
  if (!post)
    item = cache_.Store().FindCacheItem(key, {}, kBrowserMode);
  else if (OffLineMode && !request.Body().empty())
    item = cache_.Store().FindCacheItem(key, request.BodyView(), kBrowserMode);
  if (item != nullptr) {
    pipe.BodyFileName = cache_.Store().BodyPath(item->ID);
    cache_.Store().NoteLastPage(*item);
  }
  if (OffLineMode)
    HandleOfflineRequest(pipe, route, item);
  else
    ForwardRequest(pipe, route, item);
}

bool TProxyRouter::AnswerFromCache(TClientPipe &pipe, TCacheItem &item) {
  const TRequestHeader &request = pipe.Request().Header();
  if (IsRedirect(item.Status)) {
    Send(pipe, CacheHeader(QByteArray::number(item.Status) + " Found", item, cache_.Mimes()), true);
    return true;
  }
  if (request.conditional && request.ifModifiedSince >= item.LastModified) {
    Send(pipe, CacheHeader("304 Not Modified", item, cache_.Mimes()), true);
    return true;
  }
  const int status = item.Status == 304 ? 200 : item.Status;
  QByteArray answer = CacheHeader(QByteArray::number(status), item, cache_.Mimes());
  if (request.method == TRequestMethod::kHead) {
    Send(pipe, answer, true);
    return true;
  }
  if (item.Length <= kInlineBodyMax) {
    // A small body goes out with its header in one piece.
    if (!AppendBodyFile(answer, pipe.BodyFileName, item.Length)) {
      QFile::remove(pipe.BodyFileName);
      cache_.Index().Remove(item.ID);
      return false;
    }
    Send(pipe, answer, true);
    return true;
  }
  pipe.SendingBody = true;
  Send(pipe, answer, false);
  pipe.SendFile();
  return true;
}

void TProxyRouter::ForwardRequest(TClientPipe &pipe, const TRoute &route, TCacheItem *item) {
  TRequestReader &request = pipe.Request();
  const TRequestHeader &fields = request.Header();
  if (!fields.noCache && item != nullptr && item->Validated && item->LastModified != kNoDate) {
    if (AnswerFromCache(pipe, *item))
      return;
    item = nullptr;
  }
  auto owned = std::make_unique<TOriginPipe>(cache_);
  TOriginPipe *origin = owned.get();
  ServerPipeList.push_back(std::move(owned));
  origin->ClientPipe = &pipe;
  origin->FailurePages = &failurePages_;
  pipe.ServerPipe = origin;
  origin->PostBody = request.TakeBody();
  origin->Method = fields.method;
  origin->Path = route.path;

  TOriginRequestFacts facts;
  facts.Method = fields.method;
  facts.Host = route.host;
  facts.Port = route.port;
  facts.Path = route.path;
  facts.UseUpstreamProxy = UseUpstreamProxy;
  facts.CachedLastModified = item != nullptr ? item->LastModified : kNoDate;
  facts.Browser = &fields;
  origin->RequestText = BuildOriginRequest(facts);

  origin->Host = route.host;
  origin->Port = route.port;
  origin->Spool = !DiskFull && !cache_.Store().Backlogged();
  origin->CacheId = item != nullptr ? item->ID : 0;
  origin->InitiateConnection();
}

void TProxyRouter::HandleOfflineRequest(TClientPipe &pipe, const TRoute &route, TCacheItem *item) {
  if (item != nullptr && AnswerFromCache(pipe, *item))
    return;
  if (("http://" + route.host + route.path).toLower() == QByteArray(kNewsAddress).toLower()) {
    Send(pipe, NewsPage(), true);
    return;
  }
  const TRequestHeader &fields = pipe.Request().Header();
  TNotInCacheFacts facts;
  facts.Host = route.host;
  facts.Port = route.port;
  facts.Path = route.path;
  facts.IsGet = fields.method == TRequestMethod::kGet;
  const QByteArray referer = QByteArray::fromStdString(fields.refererLine);
  const qsizetype blank = referer.indexOf(' ');
  if (blank >= 0)
    facts.Referrer = referer.mid(blank + 1);
  const QByteArray key = CacheKey(route.host, route.port, route.path);
  if (pages_ != nullptr)
    facts.HeaderBar = pages_->PageHeaderBar(key);
  facts.Suggestions = Suggestions(key, route.path);
  Send(pipe, NotInCachePage(facts), true);
}

std::vector<TSuggestion> TProxyRouter::Suggestions(const QByteArray &key, const QByteArray &path) {
  std::vector<TSuggestion> found;
  TCacheStore &store = cache_.Store();
  const qsizetype slash = path.lastIndexOf('/');
  if (!path.endsWith('/') && !path.mid(slash + 1).contains('.') &&
      store.FindCacheItem(key + "/", {}, kAutoMode) != nullptr)
    found.push_back({TSuggestion::kDirectory, NormalizeUrl(key + "/"), {}});

  const qsizetype query = key.indexOf('?');
  if (!path.contains('?') || query < 0)
    return found;
  const QByteArray prefix = key.left(query + 1);
  std::set<QByteArray> targets;
  const std::vector<int32_t> ids = cache_.Index().Ids();
  for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
    const TCacheItem *item = cache_.Index().FindCacheItemById(*id);
    if (item == nullptr || !item->URL.contains(prefix))
      continue;
    if (item->Status == 200 || item->Status == 201) {
      found.push_back({TSuggestion::kQueryPage, NormalizeUrl(item->URL), item->Title});
    } else if (IsRedirect(item->Status)) {
      QByteArray text = item->Location;
      QByteArray host;
      UrlSplitHost(text, host);
      const int port = UrlSplitPort(text);
      const QByteArray target = CacheKey(host, port, UrlSplitPath(text));
      if (!targets.insert(target).second)
        continue;
      if (const TCacheItem *page = store.FindCacheItem(target, {}, kBrowserMode))
        found.push_back({TSuggestion::kRedirected, NormalizeUrl(page->URL), page->Title});
    }
  }
  return found;
}

} // namespace ql
