#pragma once

#include <QString>

namespace vx {

// Records a file name that was imported or exported in the History file, which must be
// open, through the current thread's History buffer. When the file holds more than 9
// records (import and export entries together), the oldest entry of `type` ("Import" or
// "Export") is deleted first; then an entry of `type` with today's date and the current time
// is added. A name already recorded at the same moment (a duplicate key) is not an error;
// any other failure to add stops with "Error adding to file history: " and the error text.
void AddFileHistory(const QString &type, const QString &name);

} // namespace vx
