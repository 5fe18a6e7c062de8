#include "proxy/engine/browser/browser_keys.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/dialog_sink.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/control_bar/control_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace ql {
namespace {

class ControlFormTest : public ::testing::Test {
protected:
  ControlFormTest() : registry_(dir_.filePath("registry.reg")), settings_(kQuenlarkSettingsKey, registry_) {
    ResetEngineState();
    TControlForm::FlashCounter = 0;
  }
  ~ControlFormTest() override { ResetEngineState(); }

  // A new start of the bar, with the cursor where `cursor_` says.
  std::unique_ptr<TControlForm> Start() {
    auto form = std::make_unique<TControlForm>(registry_, dir_.filePath("data") + "/");
    form->SetCursorSource([this] { return cursor_; });
    return form;
  }

  QPoint Inside(const TControlForm &form) const { return form.geometry().center(); }

  QTemporaryDir dir_;
  Registry registry_;
  TRegIniFile settings_;
  RecordingDialogSink dialogs_;
  QPoint cursor_{0, 0};
};

TEST_F(ControlFormTest, HoverOpensItTheLockKeepsItOpenAndLeavingClosesIt) {
  settings_.WriteInteger("Control Form", "X", 100);
  settings_.WriteInteger("Control Form", "Y", 50);
  auto form = Start();
  form->show();
  EXPECT_EQ(form->geometry(), QRect(100, 50, 37, 37));
  EXPECT_EQ(form->windowTitle(), "Quenlark Control Bar");

  cursor_ = Inside(*form);
  form->ControlPanelMouseMove();
  form->Timer2Timer();
  EXPECT_EQ(form->State(), TBarState::OpenRight);
  EXPECT_EQ(form->width(), 242);

  cursor_ = QPoint(700, 500);
  form->Timer1Timer();
  EXPECT_EQ(form->State(), TBarState::Closed);

  EXPECT_EQ(form->LockHint(), "Lock Control Bar open");
  cursor_ = Inside(*form);
  form->Timer2Timer();
  ASSERT_EQ(form->State(), TBarState::OpenRight);
  // Pressing the lock: the cursor going away leaves the bar open.
  for (QAbstractButton *button : form->findChildren<QAbstractButton *>()) {
    if (button->toolTip() == "Lock Control Bar open")
      button->click();
  }
  EXPECT_TRUE(form->Locked());
  EXPECT_EQ(form->LockHint(), "Unlock Control Bar");
  cursor_ = QPoint(700, 500);
  form->Timer1Timer();
  EXPECT_EQ(form->State(), TBarState::OpenRight);
}

TEST_F(ControlFormTest, DraggingMovesTheBarByTheCursorsWay) {
  settings_.WriteInteger("Control Form", "X", 100);
  settings_.WriteInteger("Control Form", "Y", 50);
  auto form = Start();
  form->show();
  cursor_ = QPoint(110, 60);
  form->ControlPanelMouseDown();
  form->ControlPanelMouseMove(); // decides the drag and records the cursor
  EXPECT_TRUE(form->Dragging());
  cursor_ = QPoint(90, 75);
  form->ControlPanelMouseMove();
  EXPECT_EQ(form->pos(), QPoint(80, 65));
  // Not so far that the bar leaves the screen's top or left edge entirely.
  cursor_ = QPoint(-200, 75);
  form->ControlPanelMouseMove();
  EXPECT_EQ(form->pos(), QPoint(80, 65));
  form->ControlPanelMouseUp();
  EXPECT_FALSE(form->Dragging());
}

TEST_F(ControlFormTest, SwitchingFromTheMenuDoesWhatTheButtonDoes) {
  auto form = Start();
  form->ShowOnLineState(false, "Switch to On-Line mode");
  OffLineMode = true;
  form->ToggleLine(true);
  EXPECT_TRUE(form->OnLine());
  EXPECT_FALSE(OffLineMode);
  EXPECT_EQ(form->OnOffHint(), "Switch to Off-Line mode");

  // The button's own click: it toggles itself, then the same handler runs.
  QAbstractButton *button = nullptr;
  for (QAbstractButton *each : form->findChildren<QAbstractButton *>()) {
    if (each->toolTip() == "Switch to Off-Line mode")
      button = each;
  }
  ASSERT_NE(button, nullptr);
  button->click();
  EXPECT_FALSE(form->OnLine());
  EXPECT_TRUE(OffLineMode);
  EXPECT_EQ(form->OnOffHint(), "Switch to On-Line mode");
}

TEST_F(ControlFormTest, TheFirstUseFlashesOncePerRun) {
  settings_.WriteBool("Initialisation", "FirstUse", true);
  auto form = Start();
  EXPECT_TRUE(form->FirstUse());
  EXPECT_FALSE(registry_.KeyExists(RegistryRoot::CurrentUser, kQuenlarkSettingsKey + "\\Initialisation"));
  form->show();
  ASSERT_TRUE(form->FlashRunning());
  int white = 0;
  int silver = 0;
  for (int tick = 1; tick <= 16; ++tick) {
    form->FlashTimerTimer();
    white += form->PanelColour() == QColor(Qt::white);
    silver += form->PanelColour() == QColor(0xc0, 0xc0, 0xc0);
  }
  EXPECT_EQ(white, 8);
  EXPECT_EQ(silver, 8);
  EXPECT_TRUE(form->FlashRunning());
  form->FlashTimerTimer();
  EXPECT_FALSE(form->FlashRunning());
  EXPECT_EQ(form->PanelColour(), QApplication::palette().color(QPalette::Button));
  form.reset();

  // The next start finds the section gone; asked to flash, it ends at the first tick.
  settings_.WriteBool("General", "FlashControlbar", true);
  form = Start();
  EXPECT_FALSE(form->FirstUse());
  form->show();
  form->FlashTimerTimer();
  EXPECT_FALSE(form->FlashRunning());
}

TEST_F(ControlFormTest, ShowingWindowsPlaceAndLockSurviveTheNextStart) {
  QWidget bookmarks;
  QWidget cacheExplorer;
  auto form = Start();
  form->SetWindows({&bookmarks, &cacheExplorer, nullptr, nullptr});
  form->show();
  form->move(300, 200);
  for (QAbstractButton *button : form->findChildren<QAbstractButton *>()) {
    if (button->toolTip() == "Bookmarks")
      button->click();
    if (button->toolTip() == "Lock Control Bar open")
      button->click();
  }
  EXPECT_TRUE(bookmarks.isVisible());
  EXPECT_EQ(form->State(), TBarState::OpenRight);
  form->ExitSteps();
  form.reset();
  EXPECT_EQ(settings_.ReadString("Window Properties", "Bookmarks.Showing", ""), "1");
  EXPECT_EQ(settings_.ReadString("Window Properties", "Cache Explorer.Showing", ""), "0");
  EXPECT_EQ(settings_.ReadInteger("Control Form", "X", -1), 300);
  EXPECT_EQ(settings_.ReadInteger("Control Form", "Y", -1), 200);
  EXPECT_TRUE(settings_.ReadBool("Control Form", "Expanded", false));

  QWidget bookmarks2;
  QWidget cacheExplorer2;
  form = Start();
  form->SetWindows({&bookmarks2, &cacheExplorer2, nullptr, nullptr});
  EXPECT_EQ(form->pos(), QPoint(300, 200));
  form->show();
  EXPECT_TRUE(bookmarks2.isVisible());
  EXPECT_FALSE(cacheExplorer2.isVisible());
  EXPECT_TRUE(form->Locked());
  EXPECT_EQ(form->State(), TBarState::OpenRight);
  EXPECT_EQ(form->LockHint(), "Unlock Control Bar");
}

TEST_F(ControlFormTest, ExitRestoresTheBrowsersProxyOnce) {
  using namespace browser_keys;
  registry_.WriteString(RegistryRoot::CurrentUser, kSavedProxyKey, kHttpProxy, "proxy.example");
  registry_.WriteDword(RegistryRoot::CurrentUser, kSavedProxyKey, kHttpProxyPort, 8080);
  registry_.WriteDword(RegistryRoot::CurrentUser, kSavedProxyKey, kProxyType, 1);
  registry_.WriteString(RegistryRoot::CurrentUser, kNetscapeProxyKey, kHttpProxy, "127.0.0.1");
  auto form = Start();
  form->ExitSteps();
  EXPECT_EQ(registry_.ReadString(RegistryRoot::CurrentUser, kNetscapeProxyKey, kHttpProxy), "proxy.example");
  EXPECT_FALSE(registry_.KeyExists(RegistryRoot::CurrentUser, kSavedProxyKey));
  EXPECT_TRUE(dialogs_.Requests().empty());
}

// About, chosen from the bar's menu with the right button and its key, opens centred on the
// screen, not over the bar in the screen's corner.
TEST_F(ControlFormTest, AboutOpensCentredOnTheScreen) {
  auto form = Start();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  const QRect screen = form->screen()->availableGeometry();
  ASSERT_GT(form->geometry().center().x(), screen.center().x() + 100);
  QRect about;
  auto *poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &about] {
    if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      about = dialog->frameGeometry();
      EXPECT_EQ(dialog->windowTitle(), "About Quenlark");
      dialog->accept();
    }
  });
  poll->start(1);
  QWidget *panel = form->childAt(form->rect().center());
  ASSERT_NE(panel, nullptr);
  QTest::mousePress(panel, Qt::RightButton, {}, panel->rect().center());
  auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  QTest::keyClick(menu, Qt::Key_U);
  ASSERT_FALSE(about.isEmpty());
  // Within a window frame's margins of the centre.
  EXPECT_LE((about.center() - screen.center()).manhattanLength(), 10)
      << about.x() << "," << about.y() << " " << about.width() << "x" << about.height();
}

} // namespace
} // namespace ql
