#pragma once

class QWidget;

namespace vx {

// Puts the top-level `window` with its middle over the middle of `owner`, the window it
// belongs to (a top-level or an MDI sub-window), kept whole on the owner's screen where it
// fits. Without an owner the window goes to the middle of its own screen. Dialogs and
// message boxes open so, unless they keep a place of their own.
void CentreOver(QWidget *window, const QWidget *owner);

} // namespace vx
