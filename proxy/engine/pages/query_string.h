#pragma once

#include <QByteArray>

#include <cstdint>

namespace ql {

// The query texts of the pseudo-host's pages.

// Decodes a query value: every "+" becomes a blank, every "%" and the two characters after it
// become the character with that hexadecimal code, or one blank when they are not two
// hexadecimal digits. A "%" with fewer than two characters after it stays as it is. Decoded
// characters are not decoded again, and an escape that decodes to "%" ends the decoding: the
// rest is taken as it stands but for its "+". The result is cut to maxLength.
QByteArray DecodeQueryString(const QByteArray &text, qsizetype maxLength);

// The decoded value of key in a query whose keys each follow an "&": the text after
// "&" + key + "=" up to the next "&", cut to 255 characters. Empty when the key is absent.
QByteArray GetQueryParam(const QByteArray &key, const QByteArray &query);
// True when the query holds the key.
bool HasQueryParam(const QByteArray &key, const QByteArray &query);

// A value written into a query of a page's link, so that it decodes back to itself: a blank as
// "+", letters, digits and "-", ".", "_", "~", "/", ":" as they are, every other character as
// a "%" escape. As the decoding ends at a decoded "%", what follows a "%" of the value comes
// back whole only where it needs no escape.
QByteArray EncodeQueryValue(const QByteArray &text);

// A size as the cache page shows it: below 1024 "n bytes", else the kilobytes with one decimal
// to a precision of four digits and " Kbytes" (1500000 bytes show as "1465.0 Kbytes").
QByteArray SizeToText(int64_t bytes);

} // namespace ql
