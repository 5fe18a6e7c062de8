#pragma once

#include <QSize>

class QWidget;

namespace ql {

class TRegIniFile;

// A window's placement in the settings section "Window Properties", in values named by its
// caption (windowTitle): caption + ".X", ".Y", ".Height", ".Width" (pixels) and ".State"
// (0 normal, 1 minimised, 2 maximised).
//
// SaveFormPlacement writes the position and size only while the window is in the normal
// state, so a maximised window keeps its last normal placement; the state always.
// RestoreFormPlacement sets the left edge when X is not -1 and lies below the screen width
// less 1, the top likewise with the height, the height and width when they are not -1, and
// then the state. Write failures of the settings store are dropped.
void SaveFormPlacement(const QWidget &window, TRegIniFile &settings);
void RestoreFormPlacement(QWidget &window, const TRegIniFile &settings, QSize screen);

} // namespace ql
