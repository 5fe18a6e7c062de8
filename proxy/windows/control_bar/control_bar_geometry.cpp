#include "proxy/windows/control_bar/control_bar_geometry.h"

namespace ql {

QPoint ControlBarStartPosition(int x, int y, QSize screen, QSize bar) {
  if (x > screen.width() - bar.width())
    x = screen.width() - bar.width();
  if (y > screen.height() - bar.height())
    y = screen.height() - bar.height();
  if (x == -1 || y == -1)
    return {screen.width() - 100, screen.height() - 100};
  return {x, y};
}

TBarLayout OpenBar(const TBarLayout &bar, int screenWidth) {
  if (bar.state != TBarState::Closed)
    return bar;
  TBarLayout open = bar;
  if (bar.rect.left() * 2 >= screenWidth) {
    open.rect = QRect(bar.rect.left() - kOpenLeftShift, bar.rect.top(), kOpenLeftWidth, bar.rect.height());
    open.state = TBarState::OpenLeft;
    open.panel2Left = 211;
    open.panel3Left = 3;
  } else {
    open.rect.setWidth(kOpenRightWidth);
    open.state = TBarState::OpenRight;
  }
  return open;
}

TBarLayout CloseBar(const TBarLayout &bar, int screenWidth, bool dragging) {
  TBarLayout closed = bar;
  closed.state = TBarState::Closed;
  closed.panel2Left = 3;
  closed.panel3Left = 40;
  switch (bar.state) {
  case TBarState::Closed:
    return bar;
  case TBarState::OpenRight:
    closed.rect.setWidth(kClosedWidth);
    if (closed.rect.left() < 0 && !dragging)
      closed.rect.moveLeft(0);
    break;
  case TBarState::OpenLeft:
    closed.rect = QRect(bar.rect.left() + kOpenLeftShift, bar.rect.top(), kClosedWidth, bar.rect.height());
    if (closed.rect.left() + kClosedWidth > screenWidth && !dragging)
      closed.rect.moveLeft(screenWidth - kClosedWidth);
    break;
  }
  return closed;
}

} // namespace ql
