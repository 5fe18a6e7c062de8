#pragma once

#include <QByteArray>

namespace ql {

// The whole "HTTP/1.0 502 Bad Gateway" answer for a request whose origin closed the connection
// without an answer, in the form of the failed-lookup page: the URL asked for, a retry link and
// the pages' header bar above and below. Host and path are escaped for the page.
QByteArray BadGatewayPage(const QByteArray &host, int port, const QByteArray &path,
                          const QByteArray &headerBar);

} // namespace ql
