#pragma once

#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/line_file.h"

namespace vx {

// Opens a data file for shared reading and writing, creating it when it does not exist. A
// lock left on the file is met once with "Recover=10" and a second attempt; keys that must
// be rebuilt are rebuilt when the user agrees. Every failure it cannot repair shows its
// message and ends the program (HALT), so when it returns the file is open.
void OpenDataFile(KeyedFile &file);

// The inner step of OpenDataFile: creates the missing file (keeping one that another copy of
// the program created meanwhile) and opens it; a failure of either ends the program with
// message 4 or 5.
void CreateDataFile(KeyedFile &file);

// Opens a file that the user named, for shared reading and writing or, with SharedRead,
// for reading only. Missing files are not created, except a line file opened with
// `create`. On failure shows message 30 with the file's name and the error, and returns
// false; the program goes on.
bool OpenUserFile(KeyedFile &file, FileAccess access = FileAccess::SharedReadWrite);
bool OpenUserFile(LineFile &file, LineFile::Access access, bool create);

} // namespace vx
