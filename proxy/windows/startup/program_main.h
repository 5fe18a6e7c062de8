#pragma once

#include <QString>

namespace ql {

class TStopSignals;

// The program's start and end, run once the QApplication exists:
// 1. The single-instance test: the program registers its application window (titled with the
//    program file's name, class "TApplication") among the user's top-level windows and counts
//    those titled "quenlark" of class "tapplication", compared lower-cased, under the
//    register's lock. Any count but 1 ends the program at once, silently.
// 2. A parameter "/r" or "/R" (exactly) restores the browser's proxy setting and ends.
// 3. The splash shows while the windows are created in their order; then the control bar
//    shows and the event loop runs.
// 4. However the loop ends (Exit, SIGINT or SIGTERM, the end of the desktop session), the
//    exit steps run (browser restored, showing windows recorded) and the windows are freed in
//    the reverse order of their creation. A stop signal takes the road of Exit.
// Returns the process's exit code.
int ProgramMain(TStopSignals &stopSignals);

// What the exit does outside the program when the window thread hangs and a stop signal must
// end the program without it: the browser's proxy setting is put back (when
// General/RestoreBrowserOnExit or AutoStartBrowser is on). Runs on any thread: it reads the
// registry file at registryPath afresh and never touches the window thread's copy.
void RestoreBrowserWithoutWindows(const QString &registryPath);

} // namespace ql
