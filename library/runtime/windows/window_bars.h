#pragma once

#include <QPointer>
#include <QString>
#include <vector>

class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QWidget;

namespace vx {

class CheckItemControl;
class Control;
class MenuItemControl;
class Window;

// The menu bar, toolbar and status bar of a window that is not the application frame. Made
// through Window::Bars() before the window opens; the window then shows them around its
// client area, whose size stays the one its structure gives.
//
// Menus and their entries are controls of the window, numbered by the procedure, so that it
// enables, disables and reads them like any control. The toolbar is a strip above the
// client area on which controls are placed by PutOnToolbar, at their positions relative to
// the strip. The status bar has numbered zones: zone 1 shows the message of the menu entry
// or control under the mouse (its status text), the others show what the procedure puts in
// them.
//
// The window owns this object; the widgets belong to the window's widget tree.
class WindowBars {
public:
  explicit WindowBars(Window &window);
  ~WindowBars();
  WindowBars(const WindowBars &) = delete;
  WindowBars &operator=(const WindowBars &) = delete;

  // A menu on the menu bar; its entry on the bar is control `number`.
  QMenu *AddMenu(int number, const QString &text, const QString &status = {});
  MenuItemControl &AddItem(QMenu *menu, int number, const QString &text, const QString &status = {});
  CheckItemControl &AddCheckItem(QMenu *menu, int number, const QString &text, const QString &status = {});
  void AddSeparator(QMenu *menu);

  // The toolbar, `heightDu` dialog units high, and a control moved onto it.
  void SetToolbarHeight(int heightDu);
  void PutOnToolbar(Control &control);

  // The status bar with `widthsDu.size()` zones; zone 1 takes the room the others leave.
  void SetStatusZones(const std::vector<int> &widthsDu);
  QString ZoneText(int zone) const;
  void SetZoneText(int zone, const QString &text);

  // The widget that holds the bars and the client area, shown in the client area's place.
  QWidget *Container() const { return container_; }

private:
  class Holder;
  void Fit();

  Window &window_;
  QPointer<QWidget> container_;
  QMenuBar *menuBar_ = nullptr;
  QWidget *toolbar_ = nullptr;
  QStatusBar *statusBar_ = nullptr;
  std::vector<QLabel *> zones_; // zones 2 onwards
};

// Sets the status-bar message of a control: shown in zone 1 while the mouse is over it.
void SetStatusMessage(Control &control, const QString &message);

} // namespace vx
