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

// Creates a file that did not exist, under a name of its own beside target: "." and target's
// file name, then "." and random letters. Nothing that exists is ever opened or removed, so the
// name can never be one of the user's files. Returns the descriptor and sets *path to the
// file's path, or -1 with errno. Permissions come from the user's umask.
int CreateFileBeside(const QString &target, QString *path);

// Opens a file to append to (flags: O_WRONLY or O_RDWR, with O_CREAT to make a missing one).
// A symbolic link under the name is not followed, and a file that is not a plain file or that
// has a second name (a hard link) is refused, so that a link planted under the name never
// makes the program write into another file. Returns the descriptor, or -1 with errno (ELOOP
// for a symbolic link, EMLINK for a hard link, EINVAL for anything but a plain file).
int OpenForAppend(const QByteArray &path, int flags);

// Test hook: called with the temporary file's path after it is written and synced, just
// before the rename. A hook that throws stands for a crash at that point. Pass an empty
// function to remove it.
void SetAtomicWriteInterruptForTest(std::function<void(const QString &tempPath)> hook);

} // namespace ql
