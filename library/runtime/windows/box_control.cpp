#include "library/runtime/windows/box_control.h"

#include "library/runtime/windows/window.h"

#include <QFrame>
#include <QGroupBox>

namespace vx {

BoxControl::BoxControl(Window &window, int number, const QRect &at, QColor fill)
    : Control(window, number, ControlKind::Box), frame_(new QFrame(window.ClientArea())) {
  frame_->setFrameShape(QFrame::Box);
  frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
  if (!at.isEmpty())
    frame_->setGeometry(window.Units().ToPixels(at));
  SetFill(fill);
  frame_->show();
}

QWidget *BoxControl::Widget() const {
  return frame_;
}

void BoxControl::SetFill(QColor fill) {
  fill_ = fill;
  frame_->setAutoFillBackground(fill.isValid());
  if (fill.isValid()) {
    QPalette palette = frame_->palette();
    palette.setColor(QPalette::Window, fill);
    frame_->setPalette(palette);
  }
}

GroupControl::GroupControl(Window &window, int number, const QString &text, const QRect &at)
    : Control(window, number, ControlKind::Box), group_(new QGroupBox(text, window.ClientArea())) {
  group_->setAttribute(Qt::WA_TransparentForMouseEvents);
  if (!at.isEmpty())
    group_->setGeometry(window.Units().ToPixels(at));
  group_->show();
}

QWidget *GroupControl::Widget() const {
  return group_;
}

QString GroupControl::Text() const {
  return group_->title();
}

void GroupControl::SetText(const QString &text) {
  group_->setTitle(text);
}

} // namespace vx
