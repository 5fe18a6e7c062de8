#pragma once

#include <QString>
#include <QStringView>

namespace vx {

// The text with its character references replaced once by the characters they stand for:
// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;" (as a blank) and the numeric forms
// "&#39;" and "&#x27;". A reference without its ";", an unknown name or a number that is no
// character stays as written, so "&amp;amp;" becomes "&amp;".
QString DecodeEntities(QStringView text);

} // namespace vx
