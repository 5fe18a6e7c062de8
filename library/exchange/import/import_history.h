#pragma once

#include <QString>

namespace vx {

// Records an imported file name in the History file, which must be open: the oldest import
// entry makes room when the file holds more than 9 records, and an "Import" entry of today
// and the current time is added (see AddFileHistory).
void AddImportHistory(const QString &name);

} // namespace vx
