#pragma once

#include <QString>

namespace vx {

class Window;

// Window-position memory: each movable window keeps its place in a section of VORNIX.INI
// named after its procedure, with the entries Maximize ("Yes"/"No"), XPosit, YPosit, Width
// and Height, in dialog units.
//
// RestoreWindowPosition, called right after the window opens, applies the stored place to
// the calling thread's active window: nothing when XPosit is missing or 0; otherwise the
// position (and, for a resizable frame, the size) unless a value is 0, then the maximised
// state. SaveWindowPosition, called before the window closes, makes it normal and writes
// the five entries, unless it is iconised, which writes nothing.
void RestoreWindowPosition(const QString &section, const QString &iniFile);
void SaveWindowPosition(const QString &section, const QString &iniFile);

void RestoreWindowPosition(Window &window, const QString &section, const QString &iniFile);
void SaveWindowPosition(Window &window, const QString &section, const QString &iniFile);

} // namespace vx
