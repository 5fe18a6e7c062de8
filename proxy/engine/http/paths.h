#pragma once

#include <QString>

namespace ql {

// Paths are kept the way the program writes them, with "\" as the separator that the
// routines below append and test for; FileSystemPath turns a path into the form the file
// system takes, once, where it is handed to a file call.

// The path with every "\" replaced by "/".
QString FileSystemPath(const QString &path);

// Removes blanks at the end, then adds "\" unless the path already ends with one.
void AddTrailingBackslash(QString &path);

// The directory of the running executable, ending in "/".
QString ProgramDir();

// Makes the program's directory the current directory. Throws std::runtime_error naming
// the directory when that fails.
void ChDirToProgramDir();

// Sets the program's help file to the program's directory + "QUENLARK.HLP" (or, with
// SetHelpFile, to another file); HelpFile returns it (empty until set).
void HelpFilePath();
void SetHelpFile(const QString &path);
QString HelpFile();

} // namespace ql
