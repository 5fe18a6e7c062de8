#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/exchange/exchange_procedures.h"
#include "library/exchange/progress_runner.h"
#include "library/reports/report_procedures.h"
#include "library/runtime/windows/qt_dialogs.h"

#include <QApplication>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vornix"));
  // The program ends when Main returns, after its procedures have closed down.
  QApplication::setQuitOnLastWindowClosed(false);
  vx::ResetGlobals();
  vx::InstallQtDialogs();
  vx::RegisterProgramProcedures();
  vx::RegisterExchangeProcedures(vx::RunInProgressWindow);
  vx::RegisterReportProcedures();
  return vx::ProgramEntry();
}
