#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

namespace ql {

// A file could not be written; what() names the file and the step that failed.
class FileWriteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Replaces the file at path with data so that a crash at any moment leaves either the old
// file or the new one, whole: the data goes to path + ".tmp", is synced, and is renamed
// over path; then the directory is synced. Creates the directory when missing. Throws
// FileWriteError naming the file when a step fails; the old file is then untouched.
void WriteFileAtomically(const QString &path, const QByteArray &data);

// Creates path afresh for writing and returns its descriptor (-1 with errno on failure):
// whatever was there is removed first, and the file is made only where nothing is, so a
// symbolic link planted under that name is never followed. The file's permissions come from
// the user's umask.
int CreateNewFile(const QByteArray &path);

// Test hook: called with the temporary file's path after it is written and synced, just
// before the rename. A hook that throws stands for a crash at that point. Pass an empty
// function to remove it.
void SetAtomicWriteInterruptForTest(std::function<void(const QString &tempPath)> hook);

} // namespace ql
