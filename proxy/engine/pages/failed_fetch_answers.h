#pragma once

#include "proxy/engine/net/failed_fetch_pages.h"

namespace ql {

// The pages a browser gets when its fetch fails before the origin answered: "DNS not found"
// (DnsNotFoundPage) and "502 Bad Gateway" (BadGatewayPage), each with the pages' header bar of
// a page outside the pseudo-host: its switch carries no token, and leads back to the URL that
// failed. Holds nothing.
class TFailedFetchAnswers : public TFailedFetchPages {
public:
  QByteArray HostNotFound(const QByteArray &host, int port, const QByteArray &path) override;
  QByteArray ClosedWithoutAnswer(const QByteArray &host, int port, const QByteArray &path) override;
  QByteArray UnreadableAnswer(const QByteArray &host, int port, const QByteArray &path) override;
};

} // namespace ql
