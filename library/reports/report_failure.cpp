#include "library/reports/report_failure.h"

#include "library/runtime/report/report.h"
#include "library/runtime/windows/message_box.h"

namespace vx {

void ShowReportFailure(const Report &report) {
  MESSAGE(QStringLiteral("The report was stopped, and nothing was printed: %1.").arg(report.failure()),
          QStringLiteral("Report Error"), MessageIcon::Hand, BUTTON_OK);
}

} // namespace vx
