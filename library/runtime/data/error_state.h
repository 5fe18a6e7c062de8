#pragma once

#include <QString>

namespace vx {

// The last error of a run-time statement, as the statement's caller tests it right after
// the call: the code (0 = success), the name of the file that caused it and, for code 90,
// the file system's or database driver's own code and text. Each run-time thread keeps its
// own, so a switch of thread between a call and its test cannot change the answer.
struct ErrorState {
  int code = 0;
  QString file;
  int driverCode = 0;
  QString driverText;
};

void SetError(int code, const QString &file = {}, int driverCode = 0, const QString &driverText = {});
void ClearError();

int ERRORCODE();
QString ERROR();     // the text of the last error's code
QString ERRORFILE(); // the name of the file that caused it
int FILEERRORCODE(); // for code 90: the driver's own code
QString FILEERROR(); // for code 90: the driver's own text

// Sets the error of a file system call that failed with `error` (an errno value) on
// `file`, as the run-time's own statements report it: a missing file or folder is 2 ("File
// Not Found"), any other error is 90 with the system's code and text.
void SetFileSystemError(const QString &file, int error);

// The run-time's text for an error code; empty for 0.
QString ErrorText(int code);

} // namespace vx
