#pragma once

#include <QByteArray>

namespace ql {

// The answer to a request that would change the proxy's state but came neither from one of
// its own pages nor with their token (an address typed by hand, a link or an image of another
// site, the switch of a page that stands at another site's address): "403 Forbidden", with a
// page headed by the question it asks and the address the request goes to, and a link that
// carries it out with the token. So a typed address takes one click more and never acts by
// itself, and another site's page gets nothing it can use: it cannot read the page, nor show
// it in a frame to have it clicked.
// Question and Link are the program's own texts, written as they stand.
struct TConfirmation {
  const char *Question; // the title and heading: "Switch to 'online' mode?"
  const char *Link;     // what the link does: "Switch to 'online' mode"
  QByteArray Address;   // as received: where the request then goes; none for a window's command
  QByteArray Path;      // the pseudo-host path that carries out the request, its token included
};

// The whole answer. The address is escaped; the link reads Link + " and go to " + the address.
QByteArray ConfirmPage(const TConfirmation &confirmation);

} // namespace ql
