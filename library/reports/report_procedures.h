#pragma once

namespace vx {

// Registers the reports' and viewers' procedures by their names (procedure_table.h), which
// enables the frame's Reports menu and Help > Read Me and What's New.
void RegisterReportProcedures();

} // namespace vx
