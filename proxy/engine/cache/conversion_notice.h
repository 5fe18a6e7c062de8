#pragma once

#include <QString>

namespace ql {

// Tells the user, in an error dialog with an OK button, that the data files in
// dataDirectory are of an earlier format and need converting, then sets oldFormatFound:
// the flag of the cache index that keeps the cache index and the bookmark file from
// being saved over the old files.
void ShowConversionNotice(const QString &dataDirectory, bool &oldFormatFound);

} // namespace ql
