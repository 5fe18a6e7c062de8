#pragma once

#include <QString>

namespace vx {

// The program's settings file and other private-profile files.
//
// An empty `file` means VORNIX.INI in ${XDG_CONFIG_HOME:-$HOME/.config}/vornix/; a file name
// without a folder lives in that same folder, and a name with a folder is used as given
// ("\" read as "/"). Names follow IniDocument: ':' and '?' are ordinary characters, and
// sections and entries match without regard to case.
//
// GETINI returns `defaultValue` when the file, the section or the entry is missing, and
// also when the file cannot be read or is larger than any settings file can be (4 MiB).
// The parsed file stays in memory until its size, time or inode changes on disk, so that
// repeated reads cost one stat.
//
// PUTINI writes only when the value changes, keeps every other line of the file, and
// replaces the file atomically (temporary file, sync, rename), creating the folder when
// needed. It refuses, with a warning on the log and nothing written, a name that cannot be
// stored (a line break, ']' in a section name, '=' in an entry name) and a file that exists
// but cannot be read, so that it is never overwritten with less than it held.
QString GETINI(const QString &section, const QString &entry, const QString &defaultValue = {},
               const QString &file = {});
void PUTINI(const QString &section, const QString &entry, const QString &value, const QString &file = {});

// The path that GETINI and PUTINI use for `file`.
QString IniFilePath(const QString &file = {});

// Groups the PUTINI calls that the calling thread makes while the object lives into one
// atomic write per file, for procedures that store several entries at once. Inside the
// scope PUTINI only updates the in-memory copy of the file, and GETINI on this thread
// reads the values waiting to be written; the outermost scope's end applies them to the
// file as it then is on disk and replaces it once. Refusals are logged at the PUTINI as
// they always are, a failed write at the scope's end. A crash before the end leaves the
// file as it was. Scopes nest; they must not outlive a switch to another program thread
// that writes the same file, and are neither copied nor moved.
class IniWriteBatch {
public:
  IniWriteBatch();
  ~IniWriteBatch();
  IniWriteBatch(const IniWriteBatch &) = delete;
  IniWriteBatch &operator=(const IniWriteBatch &) = delete;
};

} // namespace vx
