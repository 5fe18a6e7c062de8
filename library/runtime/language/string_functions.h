#pragma once

#include <QString>

namespace vx {

// The run-time's string functions. Positions count from 1, as the procedures write them.

QString CLIP(const QString &text);  // without trailing blanks
QString LEFT(const QString &text);  // without leading blanks
QString UPPER(const QString &text); // by the run-time's own rule (runtime_upper.h)
QString LOWER(const QString &text);
int LEN(const QString &text);

// `length` characters from position `start`; a negative start counts from the end (-1 is
// the last character). Whatever lies outside the text is left out, so the result may be
// shorter than asked, or empty.
QString SUB(const QString &text, int start, int length);

// Searches `text` for `sub` at positions start, start + step, start + 2 * step, ... and
// returns the step number of the first match, (position - 1) / step + 1: with the default
// step of 1, its position.
// 0 when there is none, when `sub` is empty, or when step or start is below 1.
int INSTRING(const QString &sub, const QString &text, int step = 1, int start = 1);

} // namespace vx
