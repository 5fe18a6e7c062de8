#include "library/exchange/import/import_history.h"

#include "library/exchange/file_history.h"

namespace vx {

void AddImportHistory(const QString &name) {
  AddFileHistory(QStringLiteral("Import"), name);
}

} // namespace vx
