#pragma once

namespace vx {

// About: the modal window with the program's picture, its version line and an OK button.
// It keeps its place under section About of VORNIX.INI and returns when it closes.
void About();

} // namespace vx
