#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace vx {

// Files the program writes get the mode a plain create gives them under the user's umask
// (0666 less the umask), and are never written through a symbolic link: someone who can
// plant a link in the data folder must not make the program overwrite the link's target.

// 0666 less the process's umask.
mode_t NewFileMode();

// Creates `path` as an empty file with NewFileMode when nothing is there; an existing file is
// left as it is. A symbolic link at `path` is refused, dangling or not. Returns 0 or the errno
// of the failure (ELOOP for a link).
int CreateIfMissing(const QByteArray &path);

// Whether `path` itself is a symbolic link (the folders above it may be links).
bool IsSymbolicLink(const QByteArray &path);

} // namespace vx
