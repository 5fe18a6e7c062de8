#include "library/runtime/windows/frame_menus.h"

#include "library/runtime/windows/printer.h"
#include "library/runtime/windows/window.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>

namespace vx {

FrameMenus::FrameMenus(Window &frame) : frame_(frame) {}

QMenu *FrameMenus::AddMenu(const QString &text, const QString &status) {
  QMenu *menu = frame_.MainWindow()->menuBar()->addMenu(text);
  menu->menuAction()->setStatusTip(status);
  return menu;
}

QMenu *FrameMenus::AddSubmenu(QMenu *parent, const QString &text, const QString &status) {
  QMenu *menu = parent->addMenu(text);
  menu->menuAction()->setStatusTip(status);
  return menu;
}

MenuItemControl &FrameMenus::AddItem(QMenu *menu, int number, const QString &text, const QString &status,
                                     StandardAction standard) {
  QAction *action = menu->addAction(text);
  action->setStatusTip(status);
  return frame_.Add<MenuItemControl>(number, action, standard);
}

void FrameMenus::AddSeparator(QMenu *menu) {
  menu->addSeparator();
}

namespace {

// Lines the iconised children up along the bottom of the frame's client area.
void ArrangeIcons(QMdiArea *area) {
  int x = 0;
  for (QMdiSubWindow *sub : area->subWindowList()) {
    if (!sub->isMinimized())
      continue;
    const QSize size = sub->size();
    sub->move(x, area->viewport()->height() - size.height());
    x += size.width();
  }
}

} // namespace

void RunStandardAction(Window &frame, StandardAction action) {
  QMdiArea *area = frame.MdiArea();
  switch (action) {
  case StandardAction::None:
    break;
  case StandardAction::Close:
    frame.RequestClose();
    break;
  case StandardAction::Tile:
    if (area)
      area->tileSubWindows();
    break;
  case StandardAction::Cascade:
    if (area)
      area->cascadeSubWindows();
    break;
  case StandardAction::ArrangeIcons:
    if (area)
      ArrangeIcons(area);
    break;
  case StandardAction::PrintSetup: {
    auto *dialog = new QPageSetupDialog(&SharedPrinter(), frame.Outer());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    break;
  }
  }
}

} // namespace vx
