#include "library/runtime/windows/frame_menus.h"

#include "library/runtime/windows/placement.h"
#include "library/runtime/windows/printer.h"
#include "library/runtime/windows/title_width.h"
#include "library/runtime/windows/window.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QStyle>
#include <cmath>

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

// Stacks the children from the top left corner, each one a title bar's height below and to
// the right of the one before, in their stacking order (the front one stays in front). Each
// keeps its size as far as the area allows; a child that would leave the area starts a new
// stack at the corner.
void Cascade(QMdiArea *area) {
  const QRect room = area->viewport()->rect();
  const int step = std::max(area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, area),
                            area->fontMetrics().height());
  QPoint at = room.topLeft();
  for (QMdiSubWindow *sub : area->subWindowList(QMdiArea::StackingOrder)) {
    if (sub->isHidden() || sub->isMinimized())
      continue;
    if (sub->isMaximized())
      sub->showNormal();
    const QSize size = sub->size().boundedTo(room.size()).expandedTo(sub->minimumSize());
    if (at.x() + size.width() > room.right() + 1 || at.y() + size.height() > room.bottom() + 1)
      at = room.topLeft();
    sub->setGeometry(QRect(at, size));
    sub->raise();
    at += QPoint(step, step);
  }
}

// The least size of a child: its own minimum, or what its window needs, a window of fixed
// size included.
QSize LeastSize(const QMdiSubWindow *sub) {
  return sub->minimumSize().expandedTo(sub->minimumSizeHint());
}

// Lays the children out over the frame's client area in a grid, in the order they were
// opened: as many columns as the square root of their number, rounded up, and as many rows
// as they fill. Each takes its cell, but no less than its least size; one that is larger
// than its cell is kept inside the area, over its neighbour. The frame keeps its size.
void Tile(QMdiArea *area) {
  const QRect room = area->viewport()->rect();
  QList<QMdiSubWindow *> shown;
  for (QMdiSubWindow *sub : area->subWindowList(QMdiArea::CreationOrder)) {
    if (!sub->isHidden() && !sub->isMinimized())
      shown << sub;
  }
  if (shown.isEmpty())
    return;
  const int columns = int(std::ceil(std::sqrt(double(shown.size()))));
  const int rows = int((shown.size() + columns - 1) / columns);
  for (int i = 0; i < shown.size(); ++i) {
    QMdiSubWindow *sub = shown[i];
    if (sub->isMaximized())
      sub->showNormal();
    const int column = i % columns, row = i / columns;
    const QPoint from(room.left() + room.width() * column / columns, room.top() + room.height() * row / rows);
    const QPoint to(room.left() + room.width() * (column + 1) / columns,
                    room.top() + room.height() * (row + 1) / rows);
    sub->setGeometry(InsideRoom(QRect(from, to - QPoint(1, 1)), room, LeastSize(sub)));
  }
}

// The printer set-up: the toolkit's print dialog, titled and labelled as a set-up, that
// only chooses the printer and its settings for the reports printed later. It offers no
// page range, which those reports would not follow.
void OpenPrintSetup(QWidget *parent) {
  auto *dialog = new QPrintDialog(&SharedPrinter(), parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QStringLiteral("Print Setup"));
  dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (auto *buttons = dialog->findChild<QDialogButtonBox *>()) {
    for (QAbstractButton *button : buttons->buttons()) {
      if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
        button->setText(QStringLiteral("OK"));
    }
  }
  dialog->open();
  WidenForTitle(dialog);
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
      Tile(area);
    break;
  case StandardAction::Cascade:
    if (area)
      Cascade(area);
    break;
  case StandardAction::ArrangeIcons:
    if (area)
      ArrangeIcons(area);
    break;
  case StandardAction::PrintSetup:
    OpenPrintSetup(frame.Outer());
    break;
  }
}

} // namespace vx
