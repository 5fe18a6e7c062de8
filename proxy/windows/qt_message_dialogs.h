#pragma once

namespace ql {

// Makes every message dialog of the program a real modal QMessageBox, parented to the
// active window. The program's main calls this once, after creating its QApplication;
// the service lives until the process ends.
void InstallQtMessageDialogs();

} // namespace ql
