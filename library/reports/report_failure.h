#pragma once

namespace vx {

class Report;

// Tells the user, in "Report Error", that `report` failed and printed nothing, and why
// (Report::failure). For a report that has failed.
void ShowReportFailure(const Report &report);

} // namespace vx
