#pragma once

#include <QByteArray>

namespace ql {

// Splitting of a request line ("GET http://host:port/path HTTP/1.0") into host, port and
// path, on heap texts. Each step takes its part off the front of the text in place and
// leaves the rest for the next: host, then port, then path.

// Trims the line, cuts it at " HTTP/1.0" and drops a leading "GET ", "POST " or "HEAD "
// and "http://" (any case). The schemes ftp, file, gopher, news, https and mailto give
// host "NONE" and leave the text empty. Otherwise every "\" becomes "/"; the host is the
// part before the first "/" (or before the first ":" when that comes earlier), lower-cased,
// "NONE" when empty; the text keeps the rest from that "/" or ":" on.
void UrlExtractHost(QByteArray &text, QByteArray &host);

// With the text at ":port/...": the port, and the text keeps the rest from the "/".
// 80 when the text does not start with ":" or the port is not a number from 1 to 65535.
int UrlExtractPort(QByteArray &text);

// The rest of the text trimmed, "\" replaced by "/"; "/" when empty.
QByteArray UrlExtractPath(const QByteArray &text);

// "http://" + host + path when the URL's port is 80; otherwise the URL unchanged.
QByteArray NormalizeUrl(const QByteArray &url);

// Takes the host off the front of the text: the part before the first "/" or ":",
// lower-cased, "NONE" when empty; the text keeps the rest from that "/" or ":" on.
void SplitOffHost(QByteArray &text, QByteArray &host);

// The port text after a ":" as a port number, 0 when it is not one from 1 to 65535.
int ParsePortNumber(const QByteArray &digits);

} // namespace ql
