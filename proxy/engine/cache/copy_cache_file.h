#pragma once

#include <QString>

namespace ql {

// Copies a stored body to a file that the user chose, replacing that file (Save As): the bytes
// go to a new file of a name of its own beside the target (see CreateFileBeside), which is
// synced and renamed over target, so that a crash or a failed read never leaves a half-written
// target and no file of the user's is ever touched but the target. A target that is replaced
// keeps its permissions; a new one gets the user's umask. Paths are in the program's form.
// False when the copy failed; the target is then as it was, and no temporary file is left.
bool CopyCacheFile(const QString &source, const QString &target);

} // namespace ql
