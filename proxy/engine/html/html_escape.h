#pragma once

#include <QByteArray>

namespace ql {

// Escaping of texts that come from a request or from stored entries before they go into a
// page the proxy writes. A text without special characters comes back unchanged, so ordinary
// URLs read the same.

// For element content and quoted attribute values: & < > " ' become character references.
QByteArray HtmlEscape(const QByteArray &text);

// For attribute values written without quotes (HREF=...): as HtmlEscape, and also ` and every
// blank or control character, which would otherwise end the value.
QByteArray HtmlEscapeAttribute(const QByteArray &text);

} // namespace ql
