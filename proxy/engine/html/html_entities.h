#pragma once

#include <QByteArray>

namespace ql {

// Decodes the character references of an HTML text once: the named ones of HTML for the
// characters up to U+00FF ("&amp;", "&eacute;", ...), "&apos;", the common punctuation
// ("&ndash;", "&rsquo;", "&hellip;", "&euro;", ...), and numeric ones
// ("&#233;", "&#xE9;"), each written as UTF-8. A reference that is unknown, unterminated or
// names no character (0, a surrogate, beyond U+10FFFF) stays as it is; every other byte is
// copied unchanged, so UTF-8 text passes intact and "&amp;lt;" gives "&lt;".
QByteArray DecodeHtmlEntities(const QByteArray &text);

// The text cut to at most maxBytes bytes without splitting a UTF-8 sequence at the cut.
QByteArray CutUtf8(const QByteArray &text, qsizetype maxBytes);

} // namespace ql
