#include "proxy/windows/control_bar/control_form.h"

#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/control_bar/about_form.h"
#include "proxy/windows/control_bar/control_bar_glyphs.h"
#include "proxy/windows/exit_restore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTimer>
#include <QToolButton>

namespace ql {

namespace {

const QString kControlForm = QStringLiteral("Control Form");
const QString kWindowProperties = QStringLiteral("Window Properties");
const QString kBookmarksShowing = QStringLiteral("Bookmarks.Showing");
const QString kCacheExplorerShowing = QStringLiteral("Cache Explorer.Showing");

constexpr int kFlashPhases = 16;
constexpr qint64 kLowDiskBytes = 5242880;

} // namespace

int TControlForm::FlashCounter = 0;

TControlForm::TControlForm(Registry &registry, const QString &defaultDataDirectory)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      settings_(std::make_unique<TRegIniFile>(kQuenlarkSettingsKey, registry)),
      browser_(registry, *settings_), cursorPos_([] { return QCursor::pos(); }) {
  setWindowTitle(QStringLiteral("Quenlark Control Bar"));
  BuildWidgets();
  BuildMenus();
  UpdateWindowButtons();

  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (QCoreApplication::closingDown())
      return;
    lockButton_->setIcon(
        Glyph(state == Qt::ApplicationActive ? TGlyph::LockFocused : TGlyph::LockNotFocused));
  });

  const QStorageInfo disk(QDir::currentPath());
  if (disk.isValid() && disk.bytesAvailable() < kLowDiskBytes) {
    MessageDlg(QStringLiteral("Disk space is low. You may soon need to free some extra space."),
               DialogKind::Information, DialogButtons::Ok);
  }

  dataDirectory_ =
      settings_->ReadString(QStringLiteral("Cache"), QStringLiteral("Path"), defaultDataDirectory);
  firstUse_ = settings_->ReadBool(QStringLiteral("Initialisation"), QStringLiteral("FirstUse"), false);
  if (firstUse_) {
    try {
      settings_->EraseSection(QStringLiteral("Initialisation"));
    } catch (const RegistryError &) {
    }
  }

  layout_.rect = QRect(0, 0, kClosedWidth, kBarHeight);
  ApplyLayout(layout_);
  const QSize screen = ScreenSize();
  const QPoint at = ControlBarStartPosition(settings_->ReadInteger(kControlForm, QStringLiteral("X"), -1),
                                            settings_->ReadInteger(kControlForm, QStringLiteral("Y"), -1),
                                            screen, layout_.rect.size());
  layout_.rect.moveTo(at);
  ApplyLayout(layout_);
}

TControlForm::~TControlForm() {
  timer1_->stop();
  timer2_->stop();
  flashTimer_->stop();
  try {
    settings_->WriteBool(kControlForm, QStringLiteral("Expanded"), Locked());
    ApplyLayout(CloseBar(Current(), ScreenWidth(), dragging_));
    settings_->WriteInteger(kControlForm, QStringLiteral("X"), layout_.rect.left());
    settings_->WriteInteger(kControlForm, QStringLiteral("Y"), layout_.rect.top());
  } catch (const RegistryError &) {
  }
  settings_.reset();
}

void TControlForm::SetWindows(const TBarWindows &windows) {
  windows_ = windows;
  UpdateWindowButtons();
}

void TControlForm::SetBrowserDde(TBrowserDde *dde) {
  dde_ = dde != nullptr ? dde : &noDde_;
}

bool TControlForm::Locked() const {
  return lockButton_->isChecked();
}

bool TControlForm::OnLine() const {
  return onOffButton_->isChecked();
}

QString TControlForm::OnOffHint() const {
  return onOffButton_->toolTip();
}

QString TControlForm::LockHint() const {
  return lockButton_->toolTip();
}

QColor TControlForm::PanelColour() const {
  return controlPanel_->palette().color(QPalette::Window);
}

bool TControlForm::FlashRunning() const {
  return flashTimer_->isActive();
}

void TControlForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!std::exchange(shown_, true))
    FirstShow();
}

void TControlForm::FirstShow() {
  if (settings_->ReadBool(kWindowProperties, kCacheExplorerShowing, false))
    ShowCacheForm();
  if (settings_->ReadBool(kWindowProperties, kBookmarksShowing, false))
    ShowAutoForm();
  TBarLayout closed = Current();
  closed.panel2Left = 3;
  closed.panel3Left = 40;
  ApplyLayout(closed);
  if (settings_->ReadBool(kControlForm, QStringLiteral("Expanded"), false)) {
    lockButton_->setChecked(true);
    ApplyLayout(OpenBar(Current(), ScreenWidth()));
    lockButton_->setToolTip(kUnlockHint);
  }
  if (settings_->ReadBool(QStringLiteral("General"), QStringLiteral("FlashControlbar"), false) || firstUse_)
    flashTimer_->start();
}

void TControlForm::ToggleLine(bool fromMenu) {
  if (fromMenu)
    onOffButton_->setChecked(!onOffButton_->isChecked());
  SetOffLineMode(!onOffButton_->isChecked());
  ShowOnLineState(!OffLineMode, OffLineMode ? kOffLineHint : kOnLineHint);
}

void TControlForm::ShowOnLineState(bool down, const QString &hint) {
  const QSignalBlocker blocker(onOffButton_);
  onOffButton_->setChecked(down);
  onOffButton_->setToolTip(hint);
}

void TControlForm::ShowWindow(QWidget *window) {
  if (window == nullptr)
    return;
  if (window->isMinimized()) {
    window->showNormal();
  } else if (window->isVisible()) {
    window->raise();
    window->activateWindow();
  } else {
    window->show();
  }
}

void TControlForm::ShowCacheForm() {
  ShowWindow(windows_.cacheExplorer);
}

void TControlForm::ShowAutoForm() {
  ShowWindow(windows_.bookmarks);
}

void TControlForm::ShowAutoProgressClick() {
  ShowWindow(windows_.autoProgress);
}

void TControlForm::StartBrowser1Click() {
  browser_.StartBrowser(*dde_);
}

void TControlForm::ChooseBrowser(bool useIExplore) {
  try {
    settings_->WriteBool(QStringLiteral("General"), QStringLiteral("UseIExplore"), useIExplore);
    settings_->WriteBool(QStringLiteral("General"), QStringLiteral("AutoLocateBrowser"), true);
  } catch (const RegistryError &) {
  }
  EngineSettings.UseIExplore = useIExplore;
  EngineSettings.AutoLocateBrowser = true;
  StartBrowser1Click();
}

void TControlForm::NSClick() {
  ChooseBrowser(false);
}

void TControlForm::MSIEClick() {
  ChooseBrowser(true);
}

void TControlForm::Preferences1Click() {
  if (windows_.setup != nullptr)
    windows_.setup->exec();
}

void TControlForm::RestoreBrowserSettings1Click() {
  browser_.RestoreBrowserSettings();
}

void TControlForm::FlashTimerTimer() {
  ++FlashCounter;
  QPalette palette = controlPanel_->palette();
  if (FlashCounter <= kFlashPhases) {
    palette.setColor(QPalette::Window, FlashCounter % 2 == 1 ? QColor(0xc0, 0xc0, 0xc0) : QColor(Qt::white));
  } else {
    flashTimer_->stop();
    palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
  }
  controlPanel_->setPalette(palette);
}

void TControlForm::HelpButtonClick() {
  ShowHelpContext(1);
}

void TControlForm::About1Click() {
  TAboutForm about(this);
  about.exec();
}

void TControlForm::ExitButtonClick() {
  ExitSteps();
  QCoreApplication::quit();
}

void TControlForm::closeEvent(QCloseEvent *event) {
  // Closing the main window ends the program by the same road as Exit.
  event->ignore();
  ExitButtonClick();
}

void TControlForm::ExitSteps() {
  if (std::exchange(exitDone_, true))
    return;
  const auto restore = [this] { browser_.RestoreBrowserSettings(); };
  if (EngineSettings.AutoStartBrowser || EngineSettings.RestoreBrowserOnExit) {
    if (exitRestore_ != nullptr)
      exitRestore_->Run(restore);
    else
      restore();
  }
  if (EngineSettings.AutoStartBrowser)
    dde_->CloseBrowser();
  try {
    if (windows_.bookmarks != nullptr)
      settings_->WriteBool(kWindowProperties, kBookmarksShowing, windows_.bookmarks->isVisible());
    if (windows_.cacheExplorer != nullptr)
      settings_->WriteBool(kWindowProperties, kCacheExplorerShowing, windows_.cacheExplorer->isVisible());
  } catch (const RegistryError &) {
  }
}

} // namespace ql
