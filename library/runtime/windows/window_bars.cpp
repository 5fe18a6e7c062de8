#include "library/runtime/windows/window_bars.h"

#include "library/runtime/windows/check_item_control.h"
#include "library/runtime/windows/window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace vx {

// Shows the status texts that reach it from the menus and controls in zone 1.
class WindowBars::Holder : public QWidget {
public:
  explicit Holder(WindowBars &bars) : bars_(bars) {}

protected:
  bool event(QEvent *event) override {
    if (event->type() == QEvent::StatusTip && bars_.statusBar_) {
      bars_.statusBar_->showMessage(static_cast<QStatusTipEvent *>(event)->tip());
      return true;
    }
    return QWidget::event(event);
  }

private:
  WindowBars &bars_;
};

WindowBars::WindowBars(Window &window) : window_(window), container_(new Holder(*this)) {
  auto *layout = new QVBoxLayout(container_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  menuBar_ = new QMenuBar(container_);
  layout->setMenuBar(menuBar_);
  menuBar_->hide();
  toolbar_ = new QWidget(container_);
  toolbar_->setFixedHeight(0);
  layout->addWidget(toolbar_);
  layout->addWidget(window.ClientArea(), 1);
  statusBar_ = new QStatusBar(container_);
  statusBar_->setSizeGripEnabled(false);
  statusBar_->hide();
  layout->addWidget(statusBar_);
  Fit();
}

WindowBars::~WindowBars() = default;

void WindowBars::Fit() {
  QWidget *client = window_.ClientArea();
  if (!container_ || !client)
    return;
  int height = client->height();
  for (QWidget *bar : {static_cast<QWidget *>(menuBar_), toolbar_, static_cast<QWidget *>(statusBar_)}) {
    if (!bar->isHidden())
      height += bar == toolbar_ ? toolbar_->height() : bar->sizeHint().height();
  }
  container_->resize(client->width(), height);
}

QMenu *WindowBars::AddMenu(int number, const QString &text, const QString &status) {
  QMenu *menu = menuBar_->addMenu(text);
  menu->menuAction()->setStatusTip(status);
  window_.Add<MenuItemControl>(number, menu->menuAction(), StandardAction::None);
  menuBar_->show();
  Fit();
  return menu;
}

MenuItemControl &WindowBars::AddItem(QMenu *menu, int number, const QString &text, const QString &status) {
  QAction *action = menu->addAction(text);
  action->setStatusTip(status);
  return window_.Add<MenuItemControl>(number, action, StandardAction::None);
}

CheckItemControl &WindowBars::AddCheckItem(QMenu *menu, int number, const QString &text,
                                           const QString &status) {
  QAction *action = menu->addAction(text);
  action->setStatusTip(status);
  return window_.Add<CheckItemControl>(number, action);
}

void WindowBars::AddSeparator(QMenu *menu) {
  menu->addSeparator();
}

void WindowBars::SetToolbarHeight(int heightDu) {
  toolbar_->setFixedHeight(window_.Units().ToPixelsY(heightDu));
  Fit();
}

void WindowBars::PutOnToolbar(Control &control) {
  QWidget *widget = control.Widget();
  if (!widget)
    return;
  const QPoint at = widget->pos();
  widget->setParent(toolbar_);
  widget->move(at);
  control.ApplyVisibility();
}

void WindowBars::SetStatusZones(const std::vector<int> &widthsDu) {
  for (QLabel *zone : zones_)
    delete zone;
  zones_.clear();
  for (std::size_t i = 1; i < widthsDu.size(); ++i) {
    auto *zone = new QLabel(statusBar_);
    zone->setMinimumWidth(window_.Units().ToPixelsX(widthsDu[i]));
    statusBar_->addPermanentWidget(zone);
    zones_.push_back(zone);
  }
  statusBar_->setVisible(!widthsDu.empty());
  Fit();
}

QString WindowBars::ZoneText(int zone) const {
  if (zone == 1)
    return statusBar_->currentMessage();
  return zone >= 2 && zone - 2 < int(zones_.size()) ? zones_[std::size_t(zone - 2)]->text() : QString();
}

void WindowBars::SetZoneText(int zone, const QString &text) {
  if (zone == 1)
    statusBar_->showMessage(text);
  else if (zone >= 2 && zone - 2 < int(zones_.size()))
    zones_[std::size_t(zone - 2)]->setText(text);
}

void SetStatusMessage(Control &control, const QString &message) {
  if (auto *item = dynamic_cast<MenuItemControl *>(&control)) {
    if (item->Action())
      item->Action()->setStatusTip(message);
  } else if (QWidget *widget = control.Widget()) {
    widget->setStatusTip(message);
  }
}

} // namespace vx
