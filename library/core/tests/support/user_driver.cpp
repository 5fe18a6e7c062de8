#include "support/user_driver.h"

#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/qt_dialogs.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMessageBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace vx::test {

namespace {

constexpr int kPatienceMs = 5000;

QMessageBox *ShownBox() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
      return box;
  }
  return nullptr;
}

// The window the keys go to: the one with the keyboard, else the frame, which the window
// system keeps sending them to when none of the program's windows is active.
QWindow *KeyboardWindow() {
  if (QWindow *focus = QGuiApplication::focusWindow())
    return focus;
  Window *frame = Window::Frame();
  return frame && frame->MainWindow() ? frame->MainWindow()->windowHandle() : nullptr;
}

// Presses and releases a key through the window system's entry, shortcuts first, as a
// keyboard does. QTest's own key functions run the event loop inside the calling thread,
// which must not happen on a run-time thread.
void SendKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text) {
  QWindow *window = KeyboardWindow();
  ASSERT_NE(nullptr, window);
  qt_handleKeyEvent(window, QEvent::KeyPress, key, modifiers, text);
  if (KeyboardWindow())
    qt_handleKeyEvent(KeyboardWindow(), QEvent::KeyRelease, key, modifiers, text);
}

struct Handlers {
  MessageHandler message;
  PopupHandler popup;
  FileDialogHandler file;
};

Handlers &Previous() {
  static Handlers previous;
  return previous;
}

} // namespace

UserDriver::UserDriver() {
  Previous().message = SetMessageHandler({});
  Previous().popup = SetPopupHandler({});
  Previous().file = SetFileDialogHandler({});
  InstallQtDialogs();
}

UserDriver::~UserDriver() {
  SetMessageHandler(std::move(Previous().message));
  SetPopupHandler(std::move(Previous().popup));
  SetFileDialogHandler(std::move(Previous().file));
}

void UserDriver::Until(const std::function<bool()> &ready, const QString &what) {
  QElapsedTimer clock;
  clock.start();
  WaitFor([&] { return ready() || clock.elapsed() > kPatienceMs; });
  ASSERT_TRUE(ready()) << "the windows did not get there in time " << what.toStdString();
}

void UserDriver::Settle() {
  QElapsedTimer clock;
  clock.start();
  WaitFor([&] { return clock.elapsed() > 100; });
}

Window &UserDriver::WaitForWindow(const QString &title) {
  Window *found = nullptr;
  const auto open = [&] {
    for (int thread : scheduler::LiveThreads()) {
      Window *window = Window::ActiveOf(thread);
      if (window && window->IsOpen() && window->Title() == title)
        found = window;
    }
    return found != nullptr;
  };
  Until(open, title + " opening");
  if (!found)
    throw std::runtime_error("no window " + title.toStdString());
  // The user goes on once the window has the keyboard.
  Until(
      [found] {
        QWidget *focus = QApplication::focusWidget();
        return focus && found->ClientArea()->isAncestorOf(focus);
      },
      title + " taking the keyboard");
  Settle();
  return *found;
}

void UserDriver::Click(QWidget *widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at.isNull() ? widget->rect().center() : at);
  Settle();
}

void UserDriver::Click(Window &window, int control) {
  Click(window.Find(control)->Widget());
}

void UserDriver::ClickTab(Window &window, int sheet, int tab) {
  QTabBar *bar = static_cast<QTabWidget *>(window.Find(sheet)->Widget())->tabBar();
  Click(bar, bar->tabRect(tab - 1).center());
}

void UserDriver::Type(const QString &text) {
  for (const QChar c : text) {
    const QChar upper = c.toUpper();
    const bool letter = upper >= 'A' && upper <= 'Z';
    const Qt::Key key = letter ? Qt::Key(Qt::Key_A + (upper.unicode() - 'A')) : Qt::Key(c.unicode());
    SendKey(key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
  }
  Settle();
}

void UserDriver::Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QString text;
  if (key >= Qt::Key_A && key <= Qt::Key_Z && !(modifiers & Qt::ControlModifier))
    text = QChar(char16_t('a' + (key - Qt::Key_A)));
  else if (key == Qt::Key_Return)
    text = QStringLiteral("\r");
  else if (key == Qt::Key_Tab)
    text = QStringLiteral("\t");
  else if (key == Qt::Key_Escape)
    text = QStringLiteral("\x1b");
  SendKey(key, modifiers, text);
  Settle();
}

void UserDriver::PressWithAlt(Qt::Key letter) {
  const QString text(QChar(char16_t('a' + (letter - Qt::Key_A))));
  const auto send = [](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString &text) {
    if (QWindow *window = KeyboardWindow())
      qt_handleKeyEvent(window, type, key, modifiers, text);
  };
  // As xdotool sends "alt+f": Alt is let go before the letter, which then comes up without
  // Alt. The X server gives each event the modifiers held before it, so Alt's own press comes
  // without Alt and its release with it.
  send(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier, {});
  send(QEvent::KeyPress, letter, Qt::AltModifier, text);
  send(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier, {});
  send(QEvent::KeyRelease, letter, Qt::NoModifier, text);
  Settle();
}

QString UserDriver::Answer(const QString &button) {
  Until([] { return ShownBox() != nullptr; });
  QMessageBox *box = ShownBox();
  if (!box)
    return {};
  const QString text = box->text();
  for (QAbstractButton *b : box->buttons()) {
    if (b->text().remove('&') == button) {
      QTest::mouseClick(b, Qt::LeftButton);
      Until([] { return ShownBox() == nullptr; });
      Settle();
      return text;
    }
  }
  ADD_FAILURE() << "no button " << button.toStdString() << " on the box " << text.toStdString();
  return text;
}

QRect UserDriver::MessagePlace() {
  Until([] { return ShownBox() != nullptr; }, "a message box");
  QMessageBox *box = ShownBox();
  return box ? box->frameGeometry() : QRect();
}

QRect UserDriver::ScreenPlace(Window &window) {
  QWidget *outer = window.Outer();
  return outer->isWindow() ? outer->frameGeometry() : QRect(outer->mapToGlobal(QPoint(0, 0)), outer->size());
}

int UserDriver::TitleBarNeeds(const QString &title) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) +
         4 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

bool UserDriver::Closed(const Window *window) {
  std::vector<int> threads = scheduler::LiveThreads();
  threads.push_back(0);
  for (int thread : threads) {
    for (const Window *open : scheduler::WindowsOf(thread)) {
      if (open == window)
        return false;
    }
  }
  return true;
}

QWidget *UserDriver::Focus() {
  return QApplication::focusWidget();
}

bool UserDriver::HasFocus(Window &window, int control) {
  QWidget *widget = window.Find(control)->Widget();
  QWidget *focus = Focus();
  return focus && (focus == widget || focus == widget->focusProxy()) && focus->isVisible();
}

UserTest::UserTest() {
  ResetGlobals();
  RegisterProgramProcedures();
  UnregisterProcedure(QStringLiteral("Splash"));
}

UserTest::~UserTest() {
  for (const char *name : {"BrowseVORNIX", "BrowseCategories", "About"})
    UnregisterProcedure(QString::fromLatin1(name));
}

void UserTest::RunProgram(const std::function<void()> &script) {
  START([this, script] {
    user_.Until([] { return Window::Frame() && Window::Frame()->IsOpen(); });
    script();
    if (Window *frame = Window::Frame())
      frame->Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_TRUE(RunWithin(30000, [] { ProgramEntry(); })) << "the program did not end";
}

} // namespace vx::test
