#pragma once

#include <QString>
#include <QStringList>

namespace vx {

// The drop lists of the Import and Export windows, read through the calling thread's record
// buffers of files that must be open. Each list is sorted without regard to case (then by
// case) and holds each text once. A view that does not open shows message 36 and gives an
// empty list; a read error shows message 35 with the file's label and answers false, keeping
// what was read before it.

// The names of the History entries of `type` ("Import" or "Export"): the files imported or
// exported before.
bool ReadHistoryNames(const QString &type, QStringList &names);

// The names of every category, "_Before All" and "_After All" included.
bool ReadCategoryNames(QStringList &names);

} // namespace vx
