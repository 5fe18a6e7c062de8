#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ql {

// restrict.dat: the words, one a line, whose links Autobrowse does not follow ("Don't
// Autobrowse URL links containing"). It lives in the program's directory. Where that directory
// cannot be written, a per-user copy in the user's configuration folder
// (${XDG_CONFIG_HOME:-$HOME/.config}/quenlark/) takes its place: once that copy exists it is
// the one read and written.
//
// Reading takes at most kMaxText characters (the Setup dialog's limit); a missing or unreadable
// file reads as empty. Writing replaces the file atomically (temp file, fsync, rename) and
// throws FileWriteError when neither place can take it.
class TRestrictFile {
public:
  static constexpr int kMaxText = 30720;

  // The program's own: the executable's directory and the user's configuration folder.
  TRestrictFile();
  TRestrictFile(QString programDirectory, QString userDirectory);

  // The text as it is stored, lines separated by line feeds.
  QString ReadText() const;
  // The non-empty lines, as the engine takes them.
  QList<QByteArray> ReadLines() const;
  void WriteText(const QString &text) const;

  // The file read now (the per-user copy when it exists).
  QString ReadPath() const;

private:
  QString ProgramPath() const;
  QString UserPath() const;

  QString programDirectory_;
  QString userDirectory_;
};

} // namespace ql
