#pragma once

#include "library/runtime/windows/controls.h"

#include <QString>

class QMenu;

namespace vx {

class Window;

// The menu bar of the application frame. Each entry is a MenuItemControl of the frame window,
// so that the procedure enables, disables and reads it by its number like any control; its
// status text shows in the frame's status line while the entry is highlighted.
// The frame window owns this object; Qt's menus belong to the frame's main window.
class FrameMenus {
public:
  explicit FrameMenus(Window &frame);

  QMenu *AddMenu(const QString &text, const QString &status = {});
  QMenu *AddSubmenu(QMenu *parent, const QString &text, const QString &status = {});
  MenuItemControl &AddItem(QMenu *menu, int number, const QString &text, const QString &status = {},
                           StandardAction standard = StandardAction::None);
  void AddSeparator(QMenu *menu);

private:
  Window &frame_;
};

// Runs one of the entries the run-time handles itself: close the frame, tile, cascade
// (each child keeping its size), arrange the iconised children, and the printer set-up
// dialog, which chooses the printer the reports print on. Tile and cascade arrange the
// children inside the frame's client area as it is; they never resize the frame.
void RunStandardAction(Window &frame, StandardAction action);

} // namespace vx
