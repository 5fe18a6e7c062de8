#pragma once

namespace vx {

// Installs the handlers that show MESSAGE, POPUP and the file dialog as real Qt windows.
// None runs a nested event loop: the dialog is shown, the calling thread waits for its
// answer, and the main loop goes on meanwhile (other windows' timers keep running). Once a
// message box or file dialog has closed, the window that was active is made active again
// with the focus on the control that had it.
void InstallQtDialogs();

} // namespace vx
