#pragma once

#include "library/runtime/report/report_structure.h"

namespace vx {

// The layouts of the library's six reports, with their fields bound to the running
// thread's record buffers (URL or CAT). The five site reports share the page and differ in
// the order of their two lines: the Description report prints Description and Keyword
// first, the others Location, Category and Rating. Every page carries "Page n" at the foot.
enum class SiteLayout { LocationFirst, DescriptionFirst };
ReportStructure SiteReportLayout(const QString &name, const QString &title, SiteLayout layout);
ReportStructure CategoryReportLayout(const QString &name);

} // namespace vx
