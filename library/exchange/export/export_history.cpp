#include "library/exchange/export/export_history.h"

#include "library/exchange/file_history.h"

namespace vx {

void AddExportHistory(const QString &name) {
  AddFileHistory(QStringLiteral("Export"), name);
}

} // namespace vx
