#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>

namespace ql {

// Pieces of a URL or host text.

// True when the text holds a character other than the digits and ".": a name to look up
// rather than a dotted quad.
bool IsHostName(const QByteArray &text);

// "a.b.c.d" as the four bytes a, b, c, d in this order (network order). Empty unless the
// text is exactly four decimal parts of 0 to 255.
std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(const QByteArray &text);

// The text after the last "/" (all of it when there is none): as a short text from a short
// text (UrlFileName), from a heap text (UrlTail), and as a heap text (UrlFileNamePChar).
QByteArray UrlFileName(const QByteArray &url);
QByteArray UrlTail(const QByteArray &url);
QByteArray UrlFileNamePChar(const QByteArray &url);

// The text before the last "/"; empty when there is none.
QByteArray UrlDirectory(const QByteArray &url);

// The text before its first "?".
QByteArray StripQuery(const QByteArray &url);

} // namespace ql
