#include "proxy/windows/control_bar/control_form.h"

#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/online_mode.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/control_bar/about_form.h"
#include "proxy/windows/control_bar/control_bar_glyphs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
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
const QString kLockHint = QStringLiteral("Lock Control Bar open");
const QString kUnlockHint = QStringLiteral("Unlock Control Bar");

constexpr int kHoverMs = 400;
constexpr int kLeaveMs = 6000;
constexpr int kFlashMs = 200;
constexpr int kFlashPhases = 16;
constexpr qint64 kLowDiskBytes = 5242880;

QToolButton *MakeButton(QWidget *parent, int left, const QString &hint, const QIcon &icon) {
  auto *button = new QToolButton(parent);
  button->setGeometry(left, 2, 25, 25);
  button->setToolTip(hint);
  button->setIcon(icon);
  button->setIconSize(QSize(20, 20));
  button->setAutoRaise(true);
  return button;
}

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

void TControlForm::BuildWidgets() {
  controlPanel_ = new QFrame(this);
  controlPanel_->setFrameStyle(QFrame::Box | QFrame::Plain);
  controlPanel_->setAutoFillBackground(true);
  panel2_ = new QWidget(controlPanel_);
  panel3_ = new QWidget(controlPanel_);
  panel2_->resize(30, 30);
  panel3_->resize(203, 30);

  lockButton_ = MakeButton(panel2_, 2, kLockHint, Glyph(TGlyph::LockNotFocused));
  lockButton_->setCheckable(true);
  onOffButton_ = MakeButton(panel3_, 2, kOffLineHint, OnOffGlyph());
  onOffButton_->setCheckable(true);
  showBookmarksFormButton_ = MakeButton(panel3_, 27, QStringLiteral("Bookmarks"), Glyph(TGlyph::Bookmarks));
  showCacheFormButton_ =
      MakeButton(panel3_, 52, QStringLiteral("Cache Explorer"), Glyph(TGlyph::CacheExplorer));
  showAutoProgress_ = MakeButton(panel3_, 77, QStringLiteral("Autobrowse"), Glyph(TGlyph::Autobrowse));
  startBrowserButton_ =
      MakeButton(panel3_, 102, QStringLiteral("Start browser"), Glyph(TGlyph::StartBrowser));
  helpButton_ = MakeButton(panel3_, 127, QStringLiteral("Help"), Glyph(TGlyph::Help));
  exitButton_ = MakeButton(panel3_, 157, QStringLiteral("Exit Quenlark"), QIcon());
  exitButton_->setText(QStringLiteral("Exit"));
  exitButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  exitButton_->resize(39, 25);

  connect(lockButton_, &QToolButton::clicked, this, &TControlForm::LockButtonClick);
  connect(onOffButton_, &QToolButton::clicked, this, [this] { ToggleLine(false); });
  connect(showBookmarksFormButton_, &QToolButton::clicked, this, &TControlForm::ShowAutoForm);
  connect(showCacheFormButton_, &QToolButton::clicked, this, &TControlForm::ShowCacheForm);
  connect(showAutoProgress_, &QToolButton::clicked, this, &TControlForm::ShowAutoProgressClick);
  connect(startBrowserButton_, &QToolButton::clicked, this, &TControlForm::StartBrowser1Click);
  connect(helpButton_, &QToolButton::clicked, this, &TControlForm::HelpButtonClick);
  connect(exitButton_, &QToolButton::clicked, this, &TControlForm::ExitButtonClick);

  setMouseTracking(true);
  for (QWidget *widget : std::initializer_list<QWidget *>{controlPanel_, panel2_, panel3_}) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
  }
  for (QToolButton *button : findChildren<QToolButton *>()) {
    button->setMouseTracking(true);
    button->installEventFilter(this);
  }

  timer1_ = new QTimer(this);
  timer1_->setInterval(kLeaveMs);
  connect(timer1_, &QTimer::timeout, this, &TControlForm::Timer1Timer);
  timer2_ = new QTimer(this);
  timer2_->setInterval(kHoverMs);
  connect(timer2_, &QTimer::timeout, this, &TControlForm::Timer2Timer);
  flashTimer_ = new QTimer(this);
  flashTimer_->setInterval(kFlashMs);
  connect(flashTimer_, &QTimer::timeout, this, &TControlForm::FlashTimerTimer);
}

void TControlForm::BuildMenus() {
  popupMenu_ = new QMenu(this);
  popupMenu_->addAction(QStringLiteral("&Toggle on/off-line"), this, [this] { ToggleLine(true); });
  cacheAction_ = popupMenu_->addAction(QStringLiteral("Cache &Explorer"), this, &TControlForm::ShowCacheForm);
  bookmarksAction_ = popupMenu_->addAction(QStringLiteral("&Bookmarks"), this, &TControlForm::ShowAutoForm);
  autoBrowseAction_ =
      popupMenu_->addAction(QStringLiteral("&Auto Browse"), this, &TControlForm::ShowAutoProgressClick);
  popupMenu_->addAction(QStringLiteral("&Start Browser"), this, &TControlForm::StartBrowser1Click);
  QMenu *configuration = popupMenu_->addMenu(QStringLiteral("&Configuration"));
  setupAction_ = configuration->addAction(QStringLiteral("S&etup"), this, &TControlForm::Preferences1Click);
  configuration->addAction(QStringLiteral("Restore &Browser Settings"), this,
                           &TControlForm::RestoreBrowserSettings1Click);
  popupMenu_->addSeparator();
  popupMenu_->addAction(QStringLiteral("Abo&ut Quenlark"), this, &TControlForm::About1Click);
  popupMenu_->addAction(QStringLiteral("E&xit"), this, &TControlForm::ExitButtonClick);

  browserMenu_ = new QMenu(this);
  browserMenu_->addAction(QStringLiteral("Start &Netscape Navigator"), this, &TControlForm::NSClick);
  browserMenu_->addAction(QStringLiteral("Start Internet E&xplorer"), this, &TControlForm::MSIEClick);
  browserMenu_->addAction(QStringLiteral("Cancel"));
}

QSize TControlForm::ScreenSize() const {
  const QScreen *screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
}

void TControlForm::ApplyLayout(const TBarLayout &layout) {
  setUpdatesEnabled(false);
  layout_ = layout;
  setGeometry(layout.rect);
  controlPanel_->setGeometry(0, 0, layout.rect.width(), layout.rect.height());
  panel2_->move(layout.panel2Left, 3);
  panel3_->move(layout.panel3Left, 3);
  setUpdatesEnabled(true);
}

void TControlForm::SetWindows(const TBarWindows &windows) {
  windows_ = windows;
  UpdateWindowButtons();
}

void TControlForm::SetBrowserDde(TBrowserDde *dde) {
  dde_ = dde != nullptr ? dde : &noDde_;
}

void TControlForm::UpdateWindowButtons() {
  showBookmarksFormButton_->setEnabled(windows_.bookmarks != nullptr);
  showCacheFormButton_->setEnabled(windows_.cacheExplorer != nullptr);
  showAutoProgress_->setEnabled(windows_.autoProgress != nullptr);
  cacheAction_->setEnabled(windows_.cacheExplorer != nullptr);
  bookmarksAction_->setEnabled(windows_.bookmarks != nullptr);
  autoBrowseAction_->setEnabled(windows_.autoProgress != nullptr);
  setupAction_->setEnabled(windows_.setup != nullptr);
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

TBarLayout TControlForm::Current() const {
  TBarLayout layout = layout_;
  layout.rect = geometry();
  return layout;
}

bool TControlForm::CursorInside() const {
  const QPoint cursor = cursorPos_();
  const QRect r = geometry();
  return cursor.x() >= r.left() && cursor.x() <= r.left() + r.width() && cursor.y() >= r.top() &&
         cursor.y() <= r.top() + r.height();
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

void TControlForm::ToggleForm1() {
  if (layout_.state == TBarState::Closed)
    ApplyLayout(OpenBar(Current(), ScreenWidth()));
  else
    ApplyLayout(CloseBar(Current(), ScreenWidth(), dragging_));
}

void TControlForm::Timer1Timer() {
  if (Locked()) {
    timer1_->stop();
    return;
  }
  if (CursorInside() || dragging_)
    return;
  if (layout_.state != TBarState::Closed)
    ToggleForm1();
  timer1_->stop();
}

void TControlForm::Timer2Timer() {
  timer2_->stop();
  if (CursorInside() && !dragging_ && layout_.state == TBarState::Closed)
    ToggleForm1();
}

void TControlForm::LockButtonClick() {
  timer1_->stop();
  timer2_->stop();
  if (Locked()) {
    if (layout_.state == TBarState::Closed)
      ToggleForm1();
    lockButton_->setToolTip(kUnlockHint);
  } else {
    if (layout_.state != TBarState::Closed)
      ToggleForm1();
    lockButton_->setToolTip(kLockHint);
  }
}

void TControlForm::ControlPanelClick() {
  if (layout_.state == TBarState::Closed)
    ToggleForm1();
}

void TControlForm::ControlPanelMouseDown() {
  dragging_ = true;
  startCheck_ = true;
  lastCursor_ = QPoint(-1, -1);
}

void TControlForm::ControlPanelMouseUp() {
  dragging_ = false;
  startCheck_ = false;
}

void TControlForm::ControlPanelMouseMove() {
  if (startCheck_) {
    dragging_ = CursorInside();
    startCheck_ = false;
  }
  if (dragging_) {
    const QPoint cursor = cursorPos_();
    if (lastCursor_ != QPoint(-1, -1)) {
      const QRect moved = geometry().translated(cursor - lastCursor_);
      if (moved.left() + moved.width() > 0 && moved.top() + moved.height() > 0)
        move(moved.topLeft());
    }
    lastCursor_ = cursor;
  }
  if (layout_.state == TBarState::Closed)
    timer2_->start();
  timer1_->start();
}

bool TControlForm::eventFilter(QObject *watched, QEvent *event) {
  const bool panel = watched == controlPanel_ || watched == panel2_ || watched == panel3_;
  switch (event->type()) {
  case QEvent::MouseMove:
    ControlPanelMouseMove();
    break;
  case QEvent::MouseButtonPress: {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() == Qt::RightButton && watched == startBrowserButton_ && browser_.IEInstalled() &&
        browser_.NetscapeInstalled()) {
      browserMenu_->popup(mouse->globalPosition().toPoint());
      return true;
    }
    if (mouse->button() == Qt::RightButton) {
      popupMenu_->popup(mouse->globalPosition().toPoint());
      return true;
    }
    if (panel && mouse->button() == Qt::LeftButton)
      ControlPanelMouseDown();
    break;
  }
  case QEvent::MouseButtonRelease:
    if (panel && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
      ControlPanelMouseUp();
      ControlPanelClick();
    }
    break;
  default:
    break;
  }
  return QWidget::eventFilter(watched, event);
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
  if (EngineSettings.AutoStartBrowser) {
    browser_.RestoreBrowserSettings();
    dde_->CloseBrowser();
  } else if (EngineSettings.RestoreBrowserOnExit) {
    browser_.RestoreBrowserSettings();
  }
  try {
    if (windows_.bookmarks != nullptr)
      settings_->WriteBool(kWindowProperties, kBookmarksShowing, windows_.bookmarks->isVisible());
    if (windows_.cacheExplorer != nullptr)
      settings_->WriteBool(kWindowProperties, kCacheExplorerShowing, windows_.cacheExplorer->isVisible());
  } catch (const RegistryError &) {
  }
}

} // namespace ql
