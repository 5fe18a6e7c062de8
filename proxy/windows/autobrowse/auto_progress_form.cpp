#include "proxy/windows/autobrowse/auto_progress_form.h"

#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/pages/proxy_road.h"
#include "proxy/platform/timer.h"
#include "proxy/windows/autobrowse/outbasket_delegate.h"
#include "proxy/windows/common/form_placement.h"
#include "proxy/windows/common/help_window.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr int kHelpContext = 12;
constexpr int kMinHeightAt120Dpi = 250;
constexpr char kHintProperty[] = "quenlarkHint";

const QString kStartHint = QStringLiteral("Start|Start Autobrowsing active items");

// A log line as shown: tabs expanded to stops of eight characters, so that the columns of the
// session's lines align in the fixed-pitch font.
QString ExpandTabs(const QString &line) {
  QString shown;
  for (const QChar c : line) {
    if (c == QLatin1Char('\t')) {
      do
        shown += QLatin1Char(' ');
      while (shown.size() % 8 != 0);
    } else {
      shown += c;
    }
  }
  return shown;
}

} // namespace

TAutoProgressForm::TAutoProgressForm(TRegIniFile &settings, TProxyRoad &road, TRestrictFile restrict,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window), settings_(settings), road_(road), session_(road.Autobrowse()),
      restrict_(std::move(restrict)) {
  setWindowTitle(QStringLiteral("Autobrowse Control"));
  BuildWidgets();
  LoadExclusionLines();
  road_.SetAutobrowseView(this);
  road_.SetExclusionLines(this);

  const QScreen *screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
  setMinimumHeight(static_cast<int>(kMinHeightAt120Dpi * dpi / 120.0));
  resize(std::max(width(), 440), std::max(height(), minimumHeight() + 60));
  RestoreFormPlacement(*this, settings_, screen != nullptr ? screen->size() : QSize(1024, 768));

  staleTimer_ = std::make_unique<Timer>([this] { Timer1Timer(); }, kStaleCheckMs, true);
  autoStartTimer_ =
      std::make_unique<Timer>([this] { AutoStartAutoBrowseTimerTimer(); }, kAutoStartMs, AutoBrowseAtStart);
  FillOutbasket();
}

TAutoProgressForm::~TAutoProgressForm() {
  staleTimer_.reset();
  autoStartTimer_.reset();
  if (session_.Running())
    session_.StopAutobrowseSession();
  road_.SetAutobrowseView(nullptr);
  road_.SetExclusionLines(nullptr);
  SaveFormPlacement(*this, settings_);
}

QToolButton *TAutoProgressForm::AddButton(QWidget *parent, const QString &hint, bool checkable) {
  auto *button = new QToolButton(parent);
  button->setCheckable(checkable);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setMinimumWidth(72);
  SetHint(button, hint);
  button->setText(hint.section(QLatin1Char('|'), 0, 0));
  button->installEventFilter(this);
  return button;
}

void TAutoProgressForm::SetHint(QAbstractButton *button, const QString &hint) {
  button->setProperty(kHintProperty, hint);
  button->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
}

QString TAutoProgressForm::Hint(const QAbstractButton *button) const {
  return button->property(kHintProperty).toString();
}

void TAutoProgressForm::BuildWidgets() {
  auto *outer = new QHBoxLayout(this);
  pages_ = new QTabWidget(this);
  outer->addWidget(pages_, 1);

  // "&Outbasket": the due bookmarks, the hold commands and the URL panel.
  auto *basketPage = new QWidget;
  auto *basketLayout = new QVBoxLayout(basketPage);
  auto *basketButtons = new QHBoxLayout;
  hold_ = AddButton(basketPage, QStringLiteral("Hold|Hold all selected items"), false);
  release_ = AddButton(basketPage, QStringLiteral("Release|Release all selected items"), false);
  all_ = AddButton(basketPage, QStringLiteral("Select all|Select all items"), false);
  all_->setText(QStringLiteral("All"));
  basketButtons->addWidget(hold_);
  basketButtons->addWidget(release_);
  basketButtons->addWidget(all_);
  basketButtons->addStretch(1);
  outbasket_ = new QListWidget(basketPage);
  outbasket_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  outbasket_->setItemDelegate(
      new TOutbasketDelegate([this](int row) { return LineBookmark(row); }, outbasket_));
  outbasket_->setMouseTracking(true);
  outbasket_->viewport()->installEventFilter(this);
  outbasket_->installEventFilter(this);
  urlPanel_ = new QLabel(basketPage);
  urlPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  urlPanel_->setTextFormat(Qt::PlainText);
  urlPanel_->setMinimumWidth(1);
  basketLayout->addLayout(basketButtons);
  basketLayout->addWidget(outbasket_, 1);
  basketLayout->addWidget(urlPanel_);
  pages_->addTab(basketPage, QStringLiteral("&Outbasket"));

  // "Pro&gress": the transfer rate, the counters and the log.
  auto *progressPage = new QWidget;
  auto *progressLayout = new QVBoxLayout(progressPage);
  auto *transferBox = new QGroupBox(QStringLiteral("Transfer Rate"), progressPage);
  auto *transferLayout = new QHBoxLayout(transferBox);
  label1_ = new QLabel(transferBox);
  transferLayout->addWidget(label1_);
  auto *detailBox = new QGroupBox(QStringLiteral("Autobrowse Info"), progressPage);
  auto *detailLayout = new QGridLayout(detailBox);
  const QString captions[3] = {QStringLiteral("Items Queued/Received"),
                               QStringLiteral("New Data Transferred"), QStringLiteral("Current Duration")};
  for (int row = 0; row < 3; ++row) {
    detailLayout->addWidget(new QLabel(captions[row], detailBox), row, 0);
    values_[row] = new QLabel(detailBox);
    detailLayout->addWidget(values_[row], row, 1);
  }
  detailLayout->setColumnStretch(1, 1);
  autoNote_ = new QListWidget(progressPage);
  autoNote_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  progressLayout->addWidget(transferBox);
  progressLayout->addWidget(detailBox);
  progressLayout->addWidget(autoNote_, 1);
  pages_->addTab(progressPage, QStringLiteral("Pro&gress"));

  // The right panel with the session's buttons.
  auto *right = new QVBoxLayout;
  startStop_ = AddButton(this, kStartHint, true);
  skip_ = AddButton(this, QStringLiteral("Skip|Skip current site"), false);
  pause_ = AddButton(this, QStringLiteral("Pause|Pause Autobrowse"), true);
  close_ = AddButton(this, QStringLiteral("Close|Close Autobrowse Control window"), false);
  skip_->setEnabled(false);
  pause_->setEnabled(false);
  right->addSpacing(pages_->tabBar()->sizeHint().height());
  for (QToolButton *button : {startStop_, skip_, pause_})
    right->addWidget(button);
  right->addStretch(1);
  right->addWidget(close_);
  outer->addLayout(right);

  connect(startStop_, &QToolButton::clicked, this, &TAutoProgressForm::StartStopButtonClick);
  connect(pause_, &QToolButton::clicked, this, &TAutoProgressForm::PauseButtonClick);
  connect(skip_, &QToolButton::clicked, this, &TAutoProgressForm::SkipButtonClick);
  connect(close_, &QToolButton::clicked, this, &TAutoProgressForm::CloseButtonClick);
  connect(hold_, &QToolButton::clicked, this, &TAutoProgressForm::SpeedButton2Click);
  connect(release_, &QToolButton::clicked, this, &TAutoProgressForm::SpeedButton3Click);
  connect(all_, &QToolButton::clicked, this, &TAutoProgressForm::SpeedButton4Click);
  connect(outbasket_, &QListWidget::itemDoubleClicked, this, &TAutoProgressForm::OutbasketLBDblClick);
  AddHelpKey(this, [] { ShowHelpContext(kHelpContext); });
}

bool TAutoProgressForm::eventFilter(QObject *watched, QEvent *event) {
  if (watched == outbasket_->viewport() && event->type() == QEvent::MouseMove) {
    // The URL of the line under the cursor; empty off the lines.
    const auto *move = static_cast<QMouseEvent *>(event);
    const QModelIndex index = outbasket_->indexAt(move->position().toPoint());
    const TBMInfo *bookmark = index.isValid() ? LineBookmark(index.row()) : nullptr;
    urlPanel_->setText(bookmark != nullptr ? QLatin1Char(' ') + QString::fromUtf8(bookmark->URL) : QString());
  } else if (watched == outbasket_ && event->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
    OutbasketLBDblClick();
    return true;
  } else if (watched == outbasket_ && event->type() == QEvent::KeyRelease) {
    OutbasketLBKeyUp();
  } else if (event->type() == QEvent::Enter) {
    if (auto *button = qobject_cast<QAbstractButton *>(watched))
      urlPanel_->setText(QLatin1Char(' ') + Hint(button).section(QLatin1Char('|'), 1));
  }
  return QWidget::eventFilter(watched, event);
}

void TAutoProgressForm::LoadExclusionLines() {
  exclusionLines_ = restrict_.ReadLines();
}

void TAutoProgressForm::AddAutoNote(const QString &line) {
  const QString kept = line.left(255);
  auto *item = new QListWidgetItem(ExpandTabs(kept));
  item->setData(Qt::UserRole, kept);
  autoNote_->addItem(item);
  autoNote_->setCurrentItem(item);
}

QStringList TAutoProgressForm::LogLines() const {
  QStringList lines;
  for (int row = 0; row < autoNote_->count(); ++row)
    lines.append(autoNote_->item(row)->data(Qt::UserRole).toString());
  return lines;
}

void TAutoProgressForm::ShowCounters(const TAutobrowseCounters &counters) {
  values_[0]->setText(counters.queued);
  values_[1]->setText(counters.data);
  values_[2]->setText(counters.duration);
  label1_->setText(counters.rate);
}

void TAutoProgressForm::ClearCounters() {
  ShowCounters({});
}

QString TAutoProgressForm::TransferRate() const {
  return label1_->text();
}

QString TAutoProgressForm::CounterText(int row) const {
  return values_[std::clamp(row, 0, 2)]->text();
}

QString TAutoProgressForm::UrlPanelText() const {
  return urlPanel_->text();
}

bool TAutoProgressForm::AutoStartRunning() const {
  return autoStartTimer_->Enabled();
}

} // namespace ql
