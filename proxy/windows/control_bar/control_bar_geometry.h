#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ql {

// The control bar's sizes and the moves of its opening and closing, as plain arithmetic on
// rectangles so that the window only applies them.
constexpr int kBarHeight = 37;
constexpr int kClosedWidth = 37;
constexpr int kOpenRightWidth = 242;
constexpr int kOpenLeftWidth = 245;
// How far the bar's left edge moves when it opens to the left.
constexpr int kOpenLeftShift = 208;

enum class TBarState { Closed, OpenRight, OpenLeft };

// The bar's rectangle and state with the left positions of its lock panel (Panel2) and its
// button panel (Panel3).
struct TBarLayout {
  QRect rect;
  TBarState state = TBarState::Closed;
  int panel2Left = 3;
  int panel3Left = 40;
};

// Where the bar starts from its saved X and Y (-1 when none): each is first kept within the
// screen less the bar's size; then, when either is -1, the bar goes 100 pixels in from the
// screen's right and bottom edges.
QPoint ControlBarStartPosition(int x, int y, QSize screen, QSize bar);

// Opens a closed bar: to the left (its left edge 208 pixels further left, 245 wide, the
// panels swapped) when its left edge is at or beyond half the screen width, else to the
// right (242 wide). A bar that is not closed is returned as it is.
TBarLayout OpenBar(const TBarLayout &bar, int screenWidth);

// Closes an open bar to 37 pixels. Opened to the right, it keeps its left edge, but comes
// back to 0 when that lies off the screen; opened to the left, it moves 208 pixels right and
// is kept within the screen's right edge. While the bar is being dragged it is not kept on
// the screen. A closed bar is returned as it is.
TBarLayout CloseBar(const TBarLayout &bar, int screenWidth, bool dragging);

} // namespace ql
