#pragma once

#include <QByteArray>

namespace ql {

// Escaping of texts that come from a request or from stored entries before they go into a
// page the proxy writes. A text without special characters comes back unchanged, so ordinary
// URLs read the same. The pages are UTF-8: UTF-8 characters are kept, and any other byte from
// 128 on becomes the character reference of its code (the Latin-1 reading of the text).

// For element content and quoted attribute values: & < > " ' become character references.
QByteArray HtmlEscape(const QByteArray &text);

// For attribute values written without quotes (HREF=...): as HtmlEscape, and also ` and every
// blank or control character, which would otherwise end the value.
QByteArray HtmlEscapeAttribute(const QByteArray &text);

} // namespace ql
