#pragma once

namespace vx {

// Installs the handlers that show MESSAGE, POPUP and the file dialog as real Qt windows.
// None runs a nested event loop: the dialog is shown, the calling thread waits for its
// answer, and the main loop goes on meanwhile (other windows' timers keep running).
void InstallQtDialogs();

} // namespace vx
