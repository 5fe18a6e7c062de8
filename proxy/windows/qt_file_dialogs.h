#pragma once

namespace ql {

// Makes every file dialog of the program a real modal QFileDialog, parented to the active
// window. The program's main calls this once, after creating its QApplication; the service
// lives until the process ends.
void InstallQtFileDialogs();

} // namespace ql
