#pragma once

#include <QChar>
#include <QString>

namespace vx {

// The run-time's own rule of letter case, used wherever texts are compared without regard
// to case: by the keys of the data files, by UPPER and LOWER, and by the filters.
//
// The pairs are a-z / A-Z and the letters of Latin-1, U+00E0-U+00FE / U+00C0-U+00DE, except
// the signs U+00F7 and U+00D7. Every other character is left as it is: U+00DF and U+00FF,
// whose capitals lie outside Latin-1, and all characters beyond Latin-1. The rule depends on
// no locale and no Unicode table, so the sort keys that the data files keep stay valid
// whatever system or library version reads them.
QChar RuntimeUpper(QChar c);
QChar RuntimeLower(QChar c);
QString RuntimeUpper(const QString &text);
QString RuntimeLower(const QString &text);

} // namespace vx
