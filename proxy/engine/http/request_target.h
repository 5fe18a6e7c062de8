#pragma once

#include <QByteArray>

namespace ql {

// Checks the target of a request line (the line without its final " HTTP/x.y") before it is
// split into host, port and path, and makes it fit to forward. Refused, so that the request
// gets the "400 Invalid request" answer: a target with a control character; an http URL whose
// host part holds user information ("@"), an address in brackets or bare (more than one ":"),
// a port that is not a number from 1 to 65535, or nothing at all; a target
// that begins with "/" (a relative URL); a URL of another scheme ("name://"). Blanks inside the
// target are percent-encoded ("%20") in the line, so that the origin's request line keeps its
// three parts. Returns false when the request is refused.
bool CheckRequestTarget(QByteArray &requestLine);

} // namespace ql
