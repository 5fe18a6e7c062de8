#include "library/core/open_data_file.h"

#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/halt.h"

namespace vx {

namespace {

constexpr int kDiskErrorExit = 1;

bool Opened() {
  return ERRORCODE() == 0 || ERRORCODE() == 52;
}

// The standard messages roll back through the data files' ROLLBACK; every use of a data
// file passes here first, so it is in place before any transaction can begin.
void InstallRollback() {
  static const bool installed = [] {
    SetStandardRollback([] { ROLLBACK(); });
    return true;
  }();
  Q_UNUSED(installed);
}

// Opens the file once the rollback is in place; a file another thread holds locked (error 32)
// is opened once more, waiting up to ten seconds for the lock to go.
void OpenRecovering(KeyedFile &file, FileAccess access = FileAccess::SharedReadWrite) {
  InstallRollback();
  OPEN(file, access);
  if (ERRORCODE() == 32) {
    SEND(file, QStringLiteral("Recover=10"));
    OPEN(file, access);
  }
}

} // namespace

void CreateDataFile(KeyedFile &file) {
  // Another copy of the program starting on the same folder may create the file first.
  CREATE(file, CreateMode::KeepExisting);
  if (ERRORCODE() != 0) {
    ShowStandardMessage1(4, file.name());
    return;
  }
  OPEN(file);
  if (!Opened())
    ShowStandardMessage1(5, file.name());
}

void OpenDataFile(KeyedFile &file) {
  OpenRecovering(file);
  if (Opened())
    return;
  switch (ERRORCODE()) {
  case 2:
    CreateDataFile(file);
    return;
  case 47:
    ShowStandardMessage1(1, file.name());
    return;
  case 46:
    // Message 2 ends the program unless answered Yes.
    ShowStandardMessage1(2, file.name());
    BUILD(file);
    if (ERRORCODE() != 0) {
      ShowStandardMessage1(3, file.name());
      return;
    }
    OPEN(file);
    if (Opened())
      return;
    break;
  default:
    break;
  }
  ShowStandardMessage1(30, file.name());
  HALT(kDiskErrorExit, QStringLiteral("Disk Error"));
}

bool OpenUserFile(KeyedFile &file, FileAccess access) {
  OpenRecovering(file, access);
  if (Opened())
    return true;
  ShowStandardMessage1(30, file.name());
  return false;
}

bool OpenUserFile(LineFile &file, LineFile::Access access, bool create) {
  file.OPEN(access);
  if (ERRORCODE() == 2 && create) {
    file.CREATE();
    if (ERRORCODE() == 0)
      file.OPEN(access);
  }
  if (Opened())
    return true;
  ShowStandardMessage1(30, file.Name());
  return false;
}

} // namespace vx
