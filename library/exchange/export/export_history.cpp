#include "library/exchange/export/export_history.h"

#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/date_time.h"
#include "library/runtime/windows/halt.h"

namespace vx {

namespace {

const QString kExport = QStringLiteral("Export");

// The key value (Export, no date, no time, no name) sorts after every export entry, whose
// dates descend; the record before it is the oldest export entry, when there is one.
void DeleteOldestExportEntry() {
  HistoryFile &file = History();
  CLEAR(file);
  HIS().Type = kExport;
  SET(file.KeyType, file.KeyType);
  PREVIOUS(file);
  if (ERRORCODE() == 0 && HIS().Type == kExport)
    DELETE(file);
}

} // namespace

void AddExportHistory(const QString &name) {
  HistoryFile &file = History();
  if (RECORDS(file) > 9)
    DeleteOldestExportEntry();
  CLEAR(file);
  HIS().Date = TODAY();
  HIS().Time = CLOCK();
  HIS().Type = kExport;
  HIS().FieldContents = name;
  ADD(file);
  if (ERRORCODE() != 0 && ERRORCODE() != 40)
    STOP(QStringLiteral("Error adding to file history: ") + (ERRORCODE() == 90 ? FILEERROR() : ERROR()));
}

} // namespace vx
