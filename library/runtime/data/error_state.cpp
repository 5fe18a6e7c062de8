#include "library/runtime/data/error_state.h"

#include "library/runtime/windows/thread_store.h"

#include <cerrno>
#include <cstring>

namespace vx {

namespace {

ErrorState &Current() {
  return PerThread<ErrorState>();
}

} // namespace

void SetError(int code, const QString &file, int driverCode, const QString &driverText) {
  Current() = ErrorState{code, file, driverCode, driverText};
}

void ClearError() {
  Current() = ErrorState{};
}

void SetFileSystemError(const QString &file, int error) {
  if (error == ENOENT || error == ENOTDIR)
    SetError(2, file);
  else
    SetError(90, file, error, QString::fromLocal8Bit(std::strerror(error)));
}

int ERRORCODE() {
  return Current().code;
}
QString ERROR() {
  return ErrorText(Current().code);
}
QString ERRORFILE() {
  return Current().file;
}
int FILEERRORCODE() {
  return Current().driverCode;
}
QString FILEERROR() {
  return Current().driverText;
}

QString ErrorText(int code) {
  switch (code) {
  case 0:
    return {};
  case 2:
    return QStringLiteral("File Not Found");
  case 5:
    return QStringLiteral("Access Denied");
  case 32:
    return QStringLiteral("File Is Already Locked");
  case 33:
    return QStringLiteral("Record Not Available");
  case 35:
    return QStringLiteral("Record Not Found");
  case 37:
    return QStringLiteral("File Not Open");
  case 40:
    return QStringLiteral("Creates Duplicate Key");
  case 46:
    return QStringLiteral("Key File Must Be Rebuilt");
  case 47:
    return QStringLiteral("Invalid Record Declaration");
  case 52:
    return QStringLiteral("File Already Open");
  case 56:
    return QStringLiteral("LOGOUT Already Active");
  case 89:
    return QStringLiteral("Record Changed By Another Station");
  case 90:
    return QStringLiteral("File System Error");
  default:
    return QStringLiteral("Error %1").arg(code);
  }
}

} // namespace vx
