#pragma once

#include "library/runtime/windows/control.h"
#include "library/runtime/windows/dialog_units.h"
#include "library/runtime/windows/event.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include <QMainWindow>
class QMdiArea;
#include <QMdiSubWindow>
class QKeyEvent;
class QTimer;
class QWidget;

namespace vx {

class FrameMenus;
class KeyEater;
class WindowBars;

// How a window sits on the screen.
enum class WindowKind {
  MdiChild, // a child window inside the application frame
  Frame,    // the application frame itself (one per program)
  Dialog,   // a window of its own above the frame, at least as wide as its title needs
};

struct WindowSpec {
  WindowSpec() = default;
  WindowSpec(QString title_, WindowKind kind_, QRect at_ = {})
      : title(std::move(title_)), kind(kind_), at(at_) {}
  QString title;
  WindowKind kind = WindowKind::MdiChild;
  QRect at;              // position and client size in dialog units; a window of its own
                         // placed at 0,0 opens centred over the window it belongs to
  bool resizable = true; // the frame can be resized by the user
  QSize minimum;         // smallest client size in dialog units; empty = half of `at`'s size
  bool caption = true;   // false: no title bar
  bool maximizeBox = true;
  QIcon icon;
};

// A procedure's window with its event queue and controls. The procedure that opens it runs
// its ACCEPT loop on its own thread:
//
//   Window window(spec);
//   ... add controls ...
//   window.Open();
//   while (window.Accept()) { switch (window.CurrentEvent().kind) { ... } }
//
// Accept() yields to the main loop until an event is queued. After a CloseWindow (unless the
// procedure calls KeepOpen()) or a CloseDown event, the next Accept() returns false. A thread
// that opens a second window (a procedure called directly) disables its first until the
// second closes, and gives it the focus back afterwards. The procedure owns the Window; the
// Window owns its controls and widgets.
//
// The keyboard works as in the platform's dialogs: Enter presses the focused button, or else
// the default button (a multi-line text keeps Enter as a line break); Escape presses the
// cancel button. Alt and a mnemonic letter ("&Location:") acts on the window's own control
// before any other use of the key (the frame's menu bar): a prompt gives the focus to the
// control added right after it, a button is pressed, a check box or radio button chosen, an
// option group gives the focus to its chosen radio button. Ctrl+Tab and Ctrl+PgDn turn a
// sheet to its next tab, Ctrl+Shift+Tab and Ctrl+PgUp to its previous one: the sheet that
// holds the focused control, else the window's first sheet. When the focus was on the tab
// left, it goes to the first control of the new tab that Tab stops at.
class Window : public QObject {
  Q_OBJECT
public:
  explicit Window(WindowSpec spec);
  ~Window() override;

  // Adds a control of type C (see controls.h) with the given number. Controls are numbered
  // by the procedure; the accept-all pass visits them in the order they were added.
  template <class C, class... Args> C &Add(int number, Args &&...args) {
    auto control = std::make_unique<C>(*this, number, std::forward<Args>(args)...);
    C &ref = *control;
    AddControl(std::move(control));
    return ref;
  }
  Control *Find(int number) const;
  // Removes a control made earlier (also while the window is open), with its widget.
  void Remove(int number);
  template <class C> C &Get(int number) const { return dynamic_cast<C &>(*Find(number)); }

  void Open();
  void Close();
  bool IsOpen() const { return open_; }
  int Thread() const { return thread_; }

  // ACCEPT: waits for the next event; false when the loop must end.
  bool Accept();
  const Event &CurrentEvent() const { return current_; }
  // Cancels the closing that the CloseWindow being handled would cause.
  void KeepOpen() { closing_ = false; }

  // Queues an event for this window and wakes its thread.
  void Post(const Event &event);
  void Post(EventKind kind, int control = 0) { Post(Event{kind, control}); }

  // SELECT: gives a control the focus; stops the accept-all pass. An option group or any of
  // its radio buttons gives it to the group's chosen button.
  void Select(int control);
  // DISPLAY: refreshes one control (0: all) from its variable.
  void Display(int control = 0);
  void Hide(int control);
  void Unhide(int control);
  void Enable(int control);
  void Disable(int control);

  // Accept-all pass: Accepted to every input control in order, then Completed. A SELECT
  // during the pass (a failing field) stops it.
  void AcceptAll();
  bool InAcceptAllPass() const { return passActive_; }

  // The window timer, in hundredths of a second; 0 stops it. Ticks are not queued twice.
  void SetTimer(int hundredths);
  int TimerHundredths() const { return timerHundredths_; }

  // Keys and mouse buttons that reach the window as AlertKey events: a mouse button on the
  // client area (control 0), a key wherever the focus is (the focused control's number).
  void Alert(int key) { alerts_.insert(key); }
  bool IsAlerted(int key) const { return alerts_.count(key) != 0; }

  // Window properties. Positions are in dialog units: the window's place in the frame (or on
  // the screen) and its client size.
  QString Title() const;
  // Sets the title; a window of its own too narrow for it is widened about its centre, kept
  // on the screen.
  void SetTitle(const QString &title);
  QRect Position() const;
  // Moves and sizes the window, keeping it inside the frame's client area (or the screen)
  // and no smaller than its minimum.
  void SetPosition(const QRect &du);
  bool IsMaximized() const;
  void SetMaximized(bool on);
  bool IsIconized() const;
  void SetIconized(bool on);
  bool IsResizable() const { return spec_.resizable; }
  void SetDefaultButton(int control);
  // The button that Escape presses; 0: Escape does nothing.
  void SetCancelButton(int control) { cancelButton_ = control; }

  const DialogUnits &Units() const { return units_; }
  QWidget *ClientArea() const { return client_; }
  // The top-level widget the window shows in: the frame, the MDI sub-window or the dialog.
  QWidget *Outer() const;

  // The application frame (a Frame window that is open), if any.
  static Window *Frame();
  QMdiArea *MdiArea() const { return mdiArea_; }
  QMainWindow *MainWindow() const { return mainWindow_; }
  FrameMenus &Menus();
  // The menu bar, toolbar and status bar of a window other than the frame; made on first
  // use, which must come before the window opens.
  WindowBars &Bars();
  // Frame only: closing asks every other thread's window to close down, then waits for
  // every other procedure to end before its own CloseWindow is delivered.
  void RequestClose();

  // The active window of a thread (its last opened), or null.
  static Window *ActiveOf(int thread);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void AddControl(std::unique_ptr<Control> control);
  // The widget shown in the window's frame: the client area, or the bars around it.
  QWidget *Body() const;
  // `owner`: the window this one belongs to, over which a window of its own opens centred.
  void BuildWidgets(const QWidget *owner);
  void ApplyMinimumSize();
  // A window of its own is at least as wide as a window manager's title bar needs to show
  // its title whole: a narrower one is widened, its controls keeping to its middle, and an
  // open one keeps its centre as far as the screen allows.
  void FitTitle();
  QRect Room() const;
  bool HandleKey(QKeyEvent *event);
  bool UseMnemonic(QKeyEvent *event);
  bool UseSheetKey(QKeyEvent *event);
  Control *FocusedControl() const;
  void OnTick();
  bool TakePassEvent();

  WindowSpec spec_;
  DialogUnits units_;
  int thread_ = 0;
  bool open_ = false;
  bool closing_ = false;
  bool closeDownSent_ = false;
  Event current_;
  std::deque<Event> queue_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<int, Control *> byNumber_;
  std::set<int> alerts_;
  Control *lastPrompt_ = nullptr; // a prompt still waiting for the control it names
  int defaultButton_ = 0;
  int cancelButton_ = 0;
  std::unique_ptr<KeyEater> keyEater_; // eats the key press of a mnemonic the window has used
  bool passActive_ = false;
  std::vector<int> pass_;
  std::size_t passNext_ = 0;
  int timerHundredths_ = 0;
  QTimer *timer_ = nullptr;
  bool tickQueued_ = false;
  bool sizedQueued_ = false;

  QPointer<QWidget> client_;
  QPointer<QMdiSubWindow> subWindow_;
  QPointer<QWidget> dialog_;
  QPointer<QMainWindow> mainWindow_;
  QMdiArea *mdiArea_ = nullptr;
  std::unique_ptr<FrameMenus> menus_;
  std::unique_ptr<WindowBars> bars_;
  const QObject *outerObject_ = nullptr; // Outer() while open, compared only, never used
  QPointer<QWidget> disabledBelow_;      // the thread's previous window, disabled while this one is open
  QPointer<QWidget> focusBelow_;         // the widget of that window that had the keyboard
};

// The run-time's statements on the running thread's active window.
Window *ActiveWindow();
const Event &CURRENTEVENT();
EventKind EVENT();
int FIELD();
int KEYCODE();
// POST(event, control, thread): to the thread's active window; thread 0 is the running
// thread. A post to a thread that has ended does nothing.
void POST(EventKind kind, int control = 0, int thread = 0);
void SELECT(int control);
void DISPLAY(int control = 0);
void HIDE(int control);
void UNHIDE(int control);
void ENABLE(int control);
void DISABLE(int control);

} // namespace vx
