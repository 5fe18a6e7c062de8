#pragma once

#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>
#include <functional>

class QWidget;

namespace vx {
class Window;
}

namespace vx::test {

// Works the program's windows as a user does, from a run-time thread of its own: clicks and
// key presses go through QTest to the real widgets, keys to the window that has the keyboard
// (as the window system sends them; the frame's when no window is active), and message
// boxes are the real ones, answered by a click on their button. The driver installs the
// run-time's Qt dialogs while it lives and puts the previous handlers back afterwards.
class UserDriver {
public:
  UserDriver();
  ~UserDriver();
  UserDriver(const UserDriver &) = delete;
  UserDriver &operator=(const UserDriver &) = delete;

  // Waits until a window titled `title` is open on any thread with the keyboard focus on one
  // of its controls, and returns it.
  Window &WaitForWindow(const QString &title);
  // Whether the window has closed: the procedure that owned it may have ended, so the window
  // is compared, never read.
  static bool Closed(const Window *window);
  // Waits until `ready` holds; fails the test after a few seconds, naming `what`.
  void Until(const std::function<bool()> &ready, const QString &what = {});
  // Lets the main loop handle what is queued for a moment.
  void Settle();

  void Click(QWidget *widget, QPoint at = {});
  void Click(Window &window, int control);
  // Clicks the tab (1-based) of a sheet control.
  void ClickTab(Window &window, int sheet, int tab);
  void Type(const QString &text);
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  // Alt and a letter as a keyboard sends them, each key event of its own: Alt goes down, the
  // letter down, Alt up, then the letter up.
  void PressWithAlt(Qt::Key letter);

  // Waits for a message box, clicks its button labelled `button` and returns the box's text.
  QString Answer(const QString &button);
  // Waits for a message box and returns where it shows on the screen.
  QRect MessagePlace();
  // Where the window shows on the screen: its MDI sub-window within the frame, or its own.
  static QRect ScreenPlace(Window &window);
  // The least width a window manager's title bar needs to show `title` whole: the text in
  // bold beside an icon and three buttons, each a title bar's height wide.
  static int TitleBarNeeds(const QString &title);

  // The widget with the keyboard focus, and whether it is a control of `window` numbered
  // `control` that the user can see.
  static QWidget *Focus();
  static bool HasFocus(Window &window, int control);
};

// A library test that runs the whole program (without its splash) in temporary folders and
// works its windows as a user.
class UserTest : public LibraryTest {
protected:
  UserTest();
  ~UserTest() override;

  // Runs the program to its end; `script` works its windows from a thread of its own, and
  // File > Exit ends the program after it.
  void RunProgram(const std::function<void()> &script);

  TempSetup setup_;
  UserDriver user_;
};

} // namespace vx::test
