#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace vx {

// Puts the top-level `window` with its middle over the middle of `owner`, the window it
// belongs to (a top-level or an MDI sub-window), kept whole on the owner's screen where it
// fits. Without an owner the window goes to the middle of its own screen. Dialogs and
// message boxes open so, unless they keep a place of their own.
void CentreOver(QWidget *window, const QWidget *owner);

// `rect` moved into `room`, and shrunk to the room's size but not below `minimum`: a window
// kept inside the frame's client area or the screen. Only a minimum larger than the room
// leaves it reaching past the room's right or bottom edge.
QRect InsideRoom(QRect rect, const QRect &room, const QSize &minimum);

} // namespace vx
