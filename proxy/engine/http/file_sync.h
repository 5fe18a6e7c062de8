#pragma once

#include <QString>
#include <cstddef>

namespace ql {

// Small POSIX helpers for files that must survive a crash.

// Writes size bytes to fd, going on after short writes. Returns false on the first failure;
// *written (when given) tells how many bytes reached the file.
bool WriteAll(int fd, const char *data, std::size_t size, std::size_t *written = nullptr);

// Flushes a directory's entries (names created, renamed or removed in it) to the disk.
bool SyncDirectory(const QString &dir);

// Removes a file when it exists. True when it is gone afterwards.
bool RemoveFileIfExists(const QString &path);

} // namespace ql
