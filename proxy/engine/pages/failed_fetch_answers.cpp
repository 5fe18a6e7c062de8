#include "proxy/engine/pages/failed_fetch_answers.h"

#include "proxy/engine/pages/bad_gateway_page.h"
#include "proxy/engine/pages/page_html.h"
#include "proxy/engine/pages/proxy_pages.h"

namespace ql {

QByteArray TFailedFetchAnswers::HostNotFound(const QByteArray &host, int port, const QByteArray &path) {
  return DnsNotFoundPage(host, port, path, PageHeaderBar({}));
}

QByteArray TFailedFetchAnswers::ClosedWithoutAnswer(const QByteArray &host, int port,
                                                    const QByteArray &path) {
  return BadGatewayPage(host, port, path, PageHeaderBar({}),
                        "The server closed the connection without sending an answer:");
}

QByteArray TFailedFetchAnswers::UnreadableAnswer(const QByteArray &host, int port, const QByteArray &path) {
  return BadGatewayPage(host, port, path, PageHeaderBar({}),
                        "The server sent an answer that cannot be read:");
}

} // namespace ql
