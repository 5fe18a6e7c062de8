#pragma once

namespace vx {

// Runs the program: starts Main on a thread of its own, runs the main loop until Main has
// returned, then closes down every procedure still running and waits for it to end. A HALT
// anywhere unwinds every thread to the main stack. Returns the process's exit code.
int ProgramEntry();

} // namespace vx
