#pragma once

class QString;
class QWidget;

namespace vx {

// The width a window manager's title bar needs to show `title` whole over `window`: the
// text, in bold as window managers mostly draw it, beside the window's icon and its
// buttons, which take about a title bar's height each, with room around them.
int TitleBarWidth(const QWidget *window, const QString &title);

// Widens the top-level `window` to the width its own title needs, when it is narrower, and
// answers by how many pixels (0 when it was wide enough). A window of fixed size stays
// fixed, at the new width. Every dialog and message box of the program opens so.
int WidenForTitle(QWidget *window);

} // namespace vx
