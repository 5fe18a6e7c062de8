#include "library/exchange/exchange_procedures.h"

#include "library/core/procedure_table.h"
#include "library/exchange/clipboard/monitor_clipboard.h"
#include "library/exchange/convert/upgrades.h"
#include "library/exchange/export/export_main.h"
#include "library/exchange/import/import_main.h"
#include "library/exchange/merge/import_vornix.h"

namespace vx {

void RegisterExchangeProcedures(const ProgressRunner &run) {
  RegisterProcedure(QStringLiteral("MonitorClipboard"), MonitorClipboard);
  if (!run)
    return;
  RegisterProcedure(QStringLiteral("ImportMain"), [run] { ImportMain(run); });
  RegisterProcedure(QStringLiteral("ExportMain"), [run] { ExportMain(run); });
  RegisterProcedure(QStringLiteral("ImportVORNIX"), [run] { ImportVORNIX(run); });
  InstallUpgrades(run);
}

} // namespace vx
