#pragma once

#include <QByteArray>

namespace ql {

// Splitting of stored URLs and Location values (short texts) into host, port and path.
// Like the request-line splitter, each step takes its part off the front of the text in
// place. The differences: the text is cut before "HTTP/1.0" anywhere (the blank before it
// stays); the methods are tried in the order POST, HEAD, GET; the refused schemes are
// "FILE://", "GOPHER://", "HTTPS://", "NEWS:" and "MAILTO:"; both "HTTP://" and "FTP://"
// are dropped as prefixes; and "\" is left for the path splitter to replace.
void UrlSplitHost(QByteArray &text, QByteArray &host);

// With the text at ":port": the number up to the first "/" (or to the end), taken off the
// text. 80 when the text does not start with ":" or the port is not a number from 1 to
// 65535.
int UrlSplitPort(QByteArray &text);

// The rest trimmed, "\" replaced by "/"; "/" when empty.
QByteArray UrlSplitPath(const QByteArray &text);

} // namespace ql
