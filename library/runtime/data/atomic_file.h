#pragma once

#include <QByteArrayView>
#include <QString>

namespace vx {

// Replaces the file at `path` with `data` so that a crash at any moment leaves either the
// old file or the new one: the data goes to a temporary file in the same folder, which is
// synced and then renamed over the old name; the folder is synced after the rename. An
// existing file keeps its permission bits. On failure the old file is untouched, the
// temporary file is gone, and `error` (when given) says what failed. A new file gets the
// mode of the user's umask; a symbolic link at `path` is replaced, not followed.
bool WriteFileAtomically(const QString &path, QByteArrayView data, QString *error = nullptr);

} // namespace vx
