#pragma once

#include <QByteArray>

namespace ql {

// The answer to a request that would change the proxy's state but came neither from one of
// its own pages nor with their token (an address typed by hand, a link or an image of another
// site): "403 Forbidden", with a page that says what the request would do and links to it
// with the token. So a typed address takes one click more and never acts by itself, and
// another site's page gets nothing it can use: it cannot read the page, nor show it in a
// frame to have it clicked.
//
// what is the link's text, already escaped; path is the pseudo-host path that carries out the
// request, its token included.
QByteArray ConfirmPage(const QByteArray &what, const QByteArray &path);

} // namespace ql
