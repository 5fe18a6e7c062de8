#pragma once

#include <QStringList>

namespace ql {

class TRegIniFile;

// The histories of the Filter dialog's text boxes: at most 7 texts, the latest first, kept in
// the section "Filter" under the box's name, a blank and the position 0 to 7.

inline constexpr qsizetype kHistoryLength = 7;

// Puts a non-empty text at the top: a new text pushes the oldest out beyond 7; a text already
// listed moves up from its place.
void AddToDropdownList(QStringList &list, const QString &text);

// The stored entries in order; an empty value or "!!NO_DATA" is no entry.
QStringList ReadDropdownList(const TRegIniFile &settings, const QString &box);

// Writes positions 0 to 7: the list's entries, then empty values. Write failures are dropped.
void WriteDropdownList(TRegIniFile &settings, const QString &box, const QStringList &list);

} // namespace ql
