#pragma once

#include <QCursor>
#include <QIcon>

namespace vx {

// The report preview's pictures, drawn by the program itself: the zoom cursor (a magnifying
// glass with a plus sign, its hot spot at the glass's centre) and the toolbar's icons for
// Print, Exit and Zoom.
QCursor ZoomCursor();
QIcon PrintIcon();
QIcon ExitIcon();
QIcon ZoomIcon();

} // namespace vx
