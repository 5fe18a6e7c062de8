#include "library/exchange/file_history.h"

#include "library/core/dictionary.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/date_time.h"
#include "library/runtime/windows/halt.h"

namespace vx {

namespace {

// The key value (type, no date, no time, no name) sorts after every entry of the type,
// whose dates descend; the record before it is the oldest entry of the type, when there is
// one.
void DeleteOldestEntry(const QString &type) {
  HistoryFile &file = History();
  CLEAR(file);
  HIS().Type = type;
  SET(file.KeyType, file.KeyType);
  PREVIOUS(file);
  if (ERRORCODE() == 0 && HIS().Type == type)
    DELETE(file);
}

} // namespace

void AddFileHistory(const QString &type, const QString &name) {
  HistoryFile &file = History();
  if (RECORDS(file) > 9)
    DeleteOldestEntry(type);
  CLEAR(file);
  HIS().Date = TODAY();
  HIS().Time = CLOCK();
  HIS().Type = type;
  HIS().FieldContents = name;
  ADD(file);
  if (ERRORCODE() != 0 && ERRORCODE() != 40)
    STOP(QStringLiteral("Error adding to file history: ") + (ERRORCODE() == 90 ? FILEERROR() : ERROR()));
}

} // namespace vx
