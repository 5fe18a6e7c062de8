#pragma once

#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/browser/browser_dde.h"
#include "proxy/engine/net/engine_links.h"
#include "proxy/engine/pages/page_windows.h"
#include "proxy/windows/control_bar/control_bar_geometry.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QDialog;
class QFrame;
class QMenu;
class QTimer;
class QToolButton;

namespace ql {

class Registry;
class TExitRestore;
class TRegIniFile;

// The lock button's hints: what a click on it would do.
inline const QString kLockHint = QStringLiteral("Lock Control Bar open");
inline const QString kUnlockHint = QStringLiteral("Unlock Control Bar");

// The windows that the control bar's buttons and menu entries show. A window that the
// program does not have yet is null, and its button and menu entry are disabled.
struct TBarWindows {
  QWidget *bookmarks = nullptr;     // "Bookmarks"
  QWidget *cacheExplorer = nullptr; // "Cache Explorer"
  QWidget *autoProgress = nullptr;  // "Autobrowse Control"
  QDialog *setup = nullptr;         // run modally
};

// The control bar, "Quenlark Control Bar": the program's main window, a borderless strip that
// stays on top. Closed it shows only its lock button; a cursor resting on it for 400 ms opens
// it to a row of buttons (to the left when it sits in the right half of the screen), and it
// closes 6 s after the cursor left unless the lock button is down. It is dragged by its panels.
// Its on-line button is the engine's TOnLineButton (down: on-line), and its ShowAutoForm and
// ShowCacheForm are the pseudo-host pages' TPageWindows.
//
// Creating it opens the settings store, which it owns, reads the data directory and the
// first-use flag, and places the bar from "Control Form"/X and Y. Its first showing reopens the
// windows that were showing at the last exit, reopens the bar when it was locked open, and
// flashes it when asked to. ExitSteps restores the browser and records which windows show.
// Destroying it writes its lock state and position and frees the settings store; it is the
// last window the program frees. Its code is in three files: the commands (control_form.cpp),
// the widgets and menus (control_form_widgets.cpp), and the opening, closing and dragging
// (control_form_motion.cpp). GUI thread only.
class TControlForm : public QWidget, public TOnLineButton, public TPageWindows {
public:
  // The settings store is opened on registry, which must outlive the bar.
  explicit TControlForm(Registry &registry, const QString &defaultDataDirectory);
  ~TControlForm() override;

  TRegIniFile &Settings() { return *settings_; }
  const QString &DataDirectory() const { return dataDirectory_; }
  bool FirstUse() const { return firstUse_; }
  TBrowserConfig &Browser() { return browser_; }

  void SetWindows(const TBarWindows &windows);
  // The DDE client; until one is given no browser answers. Not owned.
  void SetBrowserDde(TBrowserDde *dde);
  // The exit restores the browser through restore, which it shares with whatever else may
  // restore it at the end; without one it restores directly. Not owned.
  void SetExitRestore(TExitRestore *restore) { exitRestore_ = restore; }
  // Where the cursor is, on the screen; QCursor::pos() unless a test replaces it.
  void SetCursorSource(std::function<QPoint()> cursorPos) { cursorPos_ = std::move(cursorPos); }

  TBarState State() const { return layout_.state; }
  bool Locked() const;
  bool Dragging() const { return dragging_; }
  bool OnLine() const;
  QString OnOffHint() const;
  QString LockHint() const;
  QColor PanelColour() const;
  bool FlashRunning() const;

  // The handlers of the bar's buttons, timers and menus.
  void ToggleForm1();
  void Timer1Timer();
  void Timer2Timer();
  void LockButtonClick();
  void ControlPanelClick();
  void ControlPanelMouseDown();
  void ControlPanelMouseUp();
  void ControlPanelMouseMove();
  // fromMenu: the menu entry toggles the button first; a click on the button toggled it.
  void ToggleLine(bool fromMenu);
  void ShowCacheForm() override;
  void ShowAutoForm() override;
  void ShowAutoProgressClick();
  void StartBrowser1Click();
  void NSClick();
  void MSIEClick();
  void Preferences1Click();
  void RestoreBrowserSettings1Click();
  void FlashTimerTimer();
  void HelpButtonClick();
  void About1Click();
  void ExitButtonClick();

  // The first steps of the exit, run once however the program ends: restores the browser's
  // proxy (and closes the browser when it was started with the program, AutoStartBrowser) or,
  // with RestoreBrowserOnExit, only restores it; then writes "Bookmarks.Showing" and
  // "Cache Explorer.Showing" under "Window Properties" for the windows that exist.
  void ExitSteps();

  void ShowOnLineState(bool down, const QString &hint) override;

  // The flash counter: process-wide, never reset, so the bar flashes at most once a run.
  static int FlashCounter;

protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildWidgets();
  void BuildMenus();
  void ApplyLayout(const TBarLayout &layout);
  void FirstShow();
  // The bar's layout at its present place on the screen.
  TBarLayout Current() const;
  bool CursorInside() const;
  QSize ScreenSize() const;
  int ScreenWidth() const { return ScreenSize().width(); }
  void ShowWindow(QWidget *window);
  void ChooseBrowser(bool useIExplore);
  void UpdateWindowButtons();

  std::unique_ptr<TRegIniFile> settings_;
  TBrowserConfig browser_;
  QString dataDirectory_;
  bool firstUse_ = false;
  TNoBrowserDde noDde_;
  TBrowserDde *dde_ = &noDde_;
  TBarWindows windows_;
  std::function<QPoint()> cursorPos_;

  QFrame *controlPanel_ = nullptr;
  QWidget *panel2_ = nullptr;
  QWidget *panel3_ = nullptr;
  QToolButton *lockButton_ = nullptr;
  QToolButton *onOffButton_ = nullptr;
  QToolButton *showBookmarksFormButton_ = nullptr;
  QToolButton *showCacheFormButton_ = nullptr;
  QToolButton *showAutoProgress_ = nullptr;
  QToolButton *startBrowserButton_ = nullptr;
  QToolButton *helpButton_ = nullptr;
  QToolButton *exitButton_ = nullptr;
  QMenu *popupMenu_ = nullptr;
  QAction *cacheAction_ = nullptr;
  QAction *bookmarksAction_ = nullptr;
  QAction *autoBrowseAction_ = nullptr;
  QAction *setupAction_ = nullptr;
  QMenu *browserMenu_ = nullptr;
  QTimer *timer1_ = nullptr;
  QTimer *timer2_ = nullptr;
  QTimer *flashTimer_ = nullptr;

  TBarLayout layout_;
  bool dragging_ = false;
  bool startCheck_ = false;
  QPoint lastCursor_{-1, -1};
  bool shown_ = false;
  bool exitDone_ = false;
  TExitRestore *exitRestore_ = nullptr;
};

} // namespace ql
