#pragma once

#include <QString>

namespace ql {

// File dialogs of the proxy program: an open or save dialog with a title, a filter, a start
// directory and a proposed name; the answer is the path chosen and the filter in force. The
// program installs a service that shows real dialogs (proxy/windows); tests install their
// own. With none installed every dialog counts as cancelled, so that nothing ever blocks.
// Use from the GUI thread.

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  QString title;
  // Pairs of a description and its patterns, all separated by "|", patterns by ";":
  // "HTML document (*.htm)|*.htm|All files (*.*)|*.*".
  QString filter;
  int filterIndex = 1; // the pair selected at the start, from 1
  // Where the dialog starts. Empty or not a folder: the folder of the file last chosen in a
  // dialog of this run, else the user's home folder.
  QString directory;
  QString fileName;       // the name proposed
  bool mustExist = false; // open: the file must exist; save: its directory must exist
};

struct FileDialogAnswer {
  bool accepted = false;
  QString path;        // absolute
  int filterIndex = 1; // the pair in force when the user chose, from 1
};

// Shows file dialogs. A save dialog never asks about replacing a file: the caller asks once
// it knows the final name. A service that shows windows says so in NeedsDisplay; without a
// display (see DisplayAvailable) its dialogs count as cancelled, with a line on standard error.
class FileDialogs {
public:
  virtual ~FileDialogs() = default;
  virtual FileDialogAnswer Show(const FileDialogRequest &request) = 0;
  virtual bool NeedsDisplay() const { return true; }
};

// Installs the service, which the caller keeps alive while it is installed, and returns the
// one it replaces.
FileDialogs *SetFileDialogs(FileDialogs *service);

// Shows a dialog through the installed service, which gets the request with its start folder
// settled (see FileDialogRequest::directory), and remembers the folder of a file chosen.
FileDialogAnswer RunFileDialog(const FileDialogRequest &request);

} // namespace ql
