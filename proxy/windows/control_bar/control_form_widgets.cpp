#include "proxy/windows/control_bar/control_form.h"

#include "proxy/engine/net/online_mode.h"
#include "proxy/windows/common/help_window.h"
#include "proxy/windows/control_bar/control_bar_glyphs.h"

#include <QFrame>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace ql {

namespace {

constexpr int kHoverMs = 400;
constexpr int kLeaveMs = 6000;
constexpr int kFlashMs = 200;

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
  AddHelpKey(this, helpButton_);
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

void TControlForm::UpdateWindowButtons() {
  showBookmarksFormButton_->setEnabled(windows_.bookmarks != nullptr);
  showCacheFormButton_->setEnabled(windows_.cacheExplorer != nullptr);
  showAutoProgress_->setEnabled(windows_.autoProgress != nullptr);
  cacheAction_->setEnabled(windows_.cacheExplorer != nullptr);
  bookmarksAction_->setEnabled(windows_.bookmarks != nullptr);
  autoBrowseAction_->setEnabled(windows_.autoProgress != nullptr);
  setupAction_->setEnabled(windows_.setup != nullptr);
}

} // namespace ql
