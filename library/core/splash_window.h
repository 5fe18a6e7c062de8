#pragma once

namespace vx {

// Splash: the frame's caption-less child window with the program's picture and version line.
// It closes itself after three seconds, at a click anywhere on it, or when it is sent
// CloseWindow (the frame does so at the user's first menu choice).
void Splash();

} // namespace vx
