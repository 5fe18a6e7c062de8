#pragma once

#include <QByteArray>

namespace ql {

// The base of a page's URL for resolving its links: the URL without a leading "http://" (any
// case), cut after its last "/" when it has one and does not end with one; a URL without "/"
// is its own base (the host). Cut to maxLength.
QByteArray GetBaseURL(const QByteArray &url, qsizetype maxLength);

// Makes link absolute against base (as made by GetBaseURL). "./" and "../" steps are applied
// to the base first. Gives empty for a link to a fragment of the page and for "news:" and
// "mailto:" links; a link of another scheme comes back unchanged. Otherwise the result is
// "http://" host ":" port path, the port always written and the scheme lower-case, without
// any fragment. A base that is a bare host stands for the host's top directory.
QByteArray ResolveURL(const QByteArray &link, const QByteArray &base);

} // namespace ql
