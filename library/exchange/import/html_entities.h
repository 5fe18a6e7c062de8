#pragma once

#include <QString>
#include <QStringView>

namespace vx {

// The text with its character references replaced once by the characters they stand for:
// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" (as a blank) and the numeric forms
// "&#39;" and "&#x27;". A reference without its ";", an unknown name or a number that is no
// character stays as written, so "&amp;amp;" becomes "&amp;".
QString DecodeEntities(QStringView text);

// Enough of the text, decoded, to fill a field `width` characters wide: a reference is at
// most 11 characters long, so the first 11 × `width` characters always hold enough. The
// result is not cut to the width.
QString DecodeEntities(QStringView text, int width);

} // namespace vx
