#pragma once

#include "proxy/engine/import/index_record.h"

#include <QByteArray>

#include <optional>

namespace ql {

// The text list of a browser's cache: a header line, then one object per line in fields
// separated by any character outside the printable range 32..126 (a tab, say):
//   1 (up to 3 characters)  2 (up to 12)  3 (up to 12)  4 local file  5 URL
//   6 content type (lower-cased, up to 50)  7 (up to 12)
// Fields 1, 2, 3 and 7 are not used. A line names an object only when text remains after its
// seventh field.

// The first field of the line's rest: characters outside 32..126 at its front are dropped,
// the printable run up to the next such character is taken (and cut to at most max
// characters), and that separator is dropped too. The rest keeps what follows.
QByteArray KeepPrintable(QByteArray &rest, qsizetype max);

// The object a line names, or none.
std::optional<TIndexRecord> ReadIndexListLine(const QByteArray &line);

} // namespace ql
