#include "library/runtime/windows/placement.h"

#include <QScreen>
#include <QWidget>

namespace vx {

namespace {

// The widget's rectangle on the screen, with the frame around a top-level.
QRect OnScreen(const QWidget *widget) {
  if (widget->isWindow())
    return widget->frameGeometry();
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

} // namespace

void CentreOver(QWidget *window, const QWidget *owner) {
  const QScreen *screen = owner ? owner->screen() : window->screen();
  const QRect room = screen ? screen->availableGeometry() : QRect();
  QRect place(window->pos(), window->isVisible() ? window->frameGeometry().size() : window->size());
  place.moveCenter(owner ? OnScreen(owner).center() : room.center());
  if (!room.isEmpty())
    place = InsideRoom(place, room, place.size()); // moved only, never resized
  window->move(place.topLeft());
}

QRect InsideRoom(QRect rect, const QRect &room, const QSize &minimum) {
  rect.setSize(rect.size().boundedTo(room.size()).expandedTo(minimum));
  if (rect.right() > room.right())
    rect.moveRight(room.right());
  if (rect.bottom() > room.bottom())
    rect.moveBottom(room.bottom());
  if (rect.left() < room.left())
    rect.moveLeft(room.left());
  if (rect.top() < room.top())
    rect.moveTop(room.top());
  return rect;
}

} // namespace vx
