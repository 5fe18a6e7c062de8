#include "proxy/engine/pages/failed_fetch_answers.h"

#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/pages/bad_gateway_page.h"
#include "proxy/engine/pages/page_html.h"
#include "proxy/engine/pages/proxy_pages.h"

namespace ql {

// The header bar's switch comes back to the URL that failed, as the "Not in Cache" page's does:
// switched off-line, the browser shows what the cache holds for it.
QByteArray TFailedFetchAnswers::HostNotFound(const QByteArray &host, int port, const QByteArray &path) {
  return DnsNotFoundPage(host, port, path, PageHeaderBar(CacheKey(host, port, path)));
}

QByteArray TFailedFetchAnswers::ClosedWithoutAnswer(const QByteArray &host, int port,
                                                    const QByteArray &path) {
  return BadGatewayPage(host, port, path, PageHeaderBar(CacheKey(host, port, path)),
                        "The server closed the connection without sending an answer:");
}

QByteArray TFailedFetchAnswers::UnreadableAnswer(const QByteArray &host, int port, const QByteArray &path) {
  return BadGatewayPage(host, port, path, PageHeaderBar(CacheKey(host, port, path)),
                        "The server sent an answer that cannot be read:");
}

} // namespace ql
