#pragma once

#include <QByteArray>

namespace ql {

// The whole "HTTP/1.0 502 Bad Gateway" answer for a request whose origin gave no answer the proxy
// can relay, in the form of the failed-lookup page: the sentence that says what went wrong, the
// URL asked for, a retry link and the pages' header bar above and below. Host and path are
// escaped for the page; the sentence is the program's own HTML.
QByteArray BadGatewayPage(const QByteArray &host, int port, const QByteArray &path,
                          const QByteArray &headerBar, const char *what);

} // namespace ql
