#include "proxy/windows/control_bar/control_form.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace ql {

QSize TControlForm::ScreenSize() const {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
}

void TControlForm::ApplyLayout(const TBarLayout &layout) {
  setUpdatesEnabled(false);
  layout_ = layout;
  setGeometry(layout.rect);
  controlPanel_->setGeometry(0, 0, layout.rect.width(), layout.rect.height());
  panel2_->move(layout.panel2Left, 3);
  panel3_->move(layout.panel3Left, 3);
  setUpdatesEnabled(true);
}

TBarLayout TControlForm::Current() const {
  TBarLayout layout = layout_;
  layout.rect = geometry();
  return layout;
}

bool TControlForm::CursorInside() const {
  const QPoint cursor = cursorPos_();
  const QRect r = geometry();
  return cursor.x() >= r.left() && cursor.x() <= r.left() + r.width() && cursor.y() >= r.top() &&
         cursor.y() <= r.top() + r.height();
}

void TControlForm::ToggleForm1() {
  if (layout_.state == TBarState::Closed)
    ApplyLayout(OpenBar(Current(), ScreenWidth()));
  else
    ApplyLayout(CloseBar(Current(), ScreenWidth(), dragging_));
}

void TControlForm::Timer1Timer() {
  if (Locked()) {
    timer1_->stop();
    return;
  }
  if (CursorInside() || dragging_)
    return;
  if (layout_.state != TBarState::Closed)
    ToggleForm1();
  timer1_->stop();
}

void TControlForm::Timer2Timer() {
  timer2_->stop();
  if (CursorInside() && !dragging_ && layout_.state == TBarState::Closed)
    ToggleForm1();
}

void TControlForm::LockButtonClick() {
  timer1_->stop();
  timer2_->stop();
  if (Locked()) {
    if (layout_.state == TBarState::Closed)
      ToggleForm1();
    lockButton_->setToolTip(kUnlockHint);
  } else {
    if (layout_.state != TBarState::Closed)
      ToggleForm1();
    lockButton_->setToolTip(kLockHint);
  }
}

void TControlForm::ControlPanelClick() {
  if (layout_.state == TBarState::Closed)
    ToggleForm1();
}

void TControlForm::ControlPanelMouseDown() {
  dragging_ = true;
  startCheck_ = true;
  lastCursor_ = QPoint(-1, -1);
}

void TControlForm::ControlPanelMouseUp() {
  dragging_ = false;
  startCheck_ = false;
}

void TControlForm::ControlPanelMouseMove() {
  if (startCheck_) {
    dragging_ = CursorInside();
    startCheck_ = false;
  }
  if (dragging_) {
    const QPoint cursor = cursorPos_();
    if (lastCursor_ != QPoint(-1, -1)) {
      const QRect moved = geometry().translated(cursor - lastCursor_);
      if (moved.left() + moved.width() > 0 && moved.top() + moved.height() > 0)
        move(moved.topLeft());
    }
    lastCursor_ = cursor;
  }
  if (layout_.state == TBarState::Closed)
    timer2_->start();
  timer1_->start();
}

bool TControlForm::eventFilter(QObject *watched, QEvent *event) {
  const bool panel = watched == controlPanel_ || watched == panel2_ || watched == panel3_;
  switch (event->type()) {
  case QEvent::MouseMove:
    ControlPanelMouseMove();
    break;
  case QEvent::MouseButtonPress: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() == Qt::RightButton && watched == startBrowserButton_ && browser_.IEInstalled() &&
        browser_.NetscapeInstalled()) {
      browserMenu_->popup(mouse->globalPosition().toPoint());
      return true;
    }
    if (mouse->button() == Qt::RightButton) {
      popupMenu_->popup(mouse->globalPosition().toPoint());
      return true;
    }
    if (panel && mouse->button() == Qt::LeftButton)
      ControlPanelMouseDown();
    break;
  }
  case QEvent::MouseButtonRelease:
    if (panel && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
      ControlPanelMouseUp();
      ControlPanelClick();
    }
    break;
  default:
    break;
  }
  return QWidget::eventFilter(watched, event);
}

} // namespace ql
