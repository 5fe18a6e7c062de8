#include "library/reports/report_procedures.h"

#include "library/core/procedure_table.h"
#include "library/reports/print_report.h"
#include "library/reports/text_viewer.h"

namespace vx {

void RegisterReportProcedures() {
  RegisterProcedure(QStringLiteral("PrintURL:K_Location"), PrintURLByLocation);
  RegisterProcedure(QStringLiteral("PrintURL:K_Description"), PrintURLByDescription);
  RegisterProcedure(QStringLiteral("PrintURL:K_Category"), PrintURLByCategory);
  RegisterProcedure(QStringLiteral("PrintURL:K_Rating"), PrintURLByRating);
  RegisterProcedure(QStringLiteral("PrintURL:K_Keyword"), PrintURLByKeyword);
  RegisterProcedure(QStringLiteral("PrintCAT:K_Category"), PrintCATByCategory);
  RegisterProcedure(QStringLiteral("WhatsNew"), WhatsNew);
  RegisterProcedure(QStringLiteral("ReadMe"), ReadMe);
  RegisterProcedure(QStringLiteral("ExportHelp"), ExportHelp);
  RegisterProcedure(QStringLiteral("ImportHelp"), ImportHelp);
}

} // namespace vx
