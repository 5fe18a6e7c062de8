#pragma once

#include <QString>

namespace vx {

// Records an exported file name in the History file, which must be open, through the
// current thread's History buffer. When the file holds more than 9 records (import and
// export entries together), the oldest export entry is deleted first; then an "Export"
// entry with today's date and the current time is added. A name already recorded at the
// same moment (a duplicate key) is not an error; any other failure to add stops with
// "Error adding to file history: " and the error text.
void AddExportHistory(const QString &name);

} // namespace vx
