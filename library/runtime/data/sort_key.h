#pragma once

#include "library/runtime/data/record_layout.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace vx {

// Binary sort keys: a record's key value as bytes whose plain byte order is the key's order.
//
// A text component is cut to its width, upper-cased character by character, stripped of
// trailing blanks (control characters count as blanks) and written as UTF-8 followed by a
// zero byte, so that a shorter text sorts as if padded with blanks. A number is written as
// eight big-endian bytes with the sign bit flipped. A descending component has its bytes
// inverted. A key with blanks left out has no value (null) when every component is blank
// or zero.

// Raised whenever the encoding or the upper-casing rule changes: stored keys must then be
// rebuilt, and files of the older rule open with "Key File Must Be Rebuilt".
inline constexpr int kSortRuleVersion = 1;

// The run-time's upper-casing rule (runtime_upper.h), as the keys apply it.
QString KeyUpper(const QString &text);

// The text as a key compares it: cut to the width, upper-cased, trailing blanks dropped.
QString KeyText(const QString &text, int width);

// Appends one component's bytes.
void AppendTextComponent(QByteArray &out, const QString &text, int width, bool descending);
void AppendNumberComponent(QByteArray &out, qint64 value, bool descending);

// The key value of a record; a null QByteArray when the key leaves the record out, unless
// `leaveOut` is false (a start value is never left out).
QByteArray SortKey(const FileDecl &decl, const KeyDef &key, const void *record, bool leaveOut = true);

// The values of every key of the declaration for one record, in key order; each field is
// encoded once however many keys it belongs to.
std::vector<QByteArray> SortKeys(const FileDecl &decl, const void *record);

} // namespace vx
