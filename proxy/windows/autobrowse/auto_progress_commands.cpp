#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/autobrowse/session_clock.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/timer.h"
#include "proxy/windows/autobrowse/auto_progress_form.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace ql {

namespace {

const QString kStartHint = QStringLiteral("Start|Start Autobrowsing active items");
const QString kStopHint = QStringLiteral("Stop|Stop Autobrowsing");
const QString kPauseHint = QStringLiteral("Pause|Pause Autobrowse");
const QString kContinueHint = QStringLiteral("Continue|Continue Autobrowsing");

bool IsDue(const TBMInfo &bookmark, TDateTime now) {
  return !bookmark.Folder && !bookmark.URL.isEmpty() && !bookmark.Title.isEmpty() &&
         ((bookmark.Scheduled && now > bookmark.NextRefresh) || bookmark.GetNextTime);
}

} // namespace

TBookmarkTree &TAutoProgressForm::Tree() const {
  return session_.Tree();
}

TBMInfo *TAutoProgressForm::LineBookmark(int row) const {
  const QListWidgetItem *item = outbasket_->item(row);
  if (item == nullptr)
    return nullptr;
  // Lines keep the bookmark's serial id, never a pointer: the tree may drop a bookmark before
  // the next refill.
  const int32_t serial = item->data(Qt::UserRole).toInt();
  TBookmarkTree &tree = Tree();
  for (int node = 0; node < tree.Count(); ++node) {
    TBMInfo &info = tree.Info(node);
    if (info.SerialId == serial && !info.Folder)
      return &info;
  }
  return nullptr;
}

void TAutoProgressForm::FillOutbasket() {
  TBookmarkTree &tree = Tree();
  outbasket_->setUpdatesEnabled(false);
  outbasket_->clear();
  const TDateTime now = Now();
  for (int node = 0; node < tree.Count(); ++node) {
    const TBMInfo &info = tree.Info(node);
    if (!IsDue(info, now))
      continue;
    auto *item = new QListWidgetItem(QString::fromUtf8(info.Title));
    item->setData(Qt::UserRole, info.SerialId);
    outbasket_->addItem(item);
  }
  outbasket_->setUpdatesEnabled(true);
}

void TAutoProgressForm::Timer1Timer() {
  if (!OutbasketStale)
    return;
  OutbasketStale = false;
  FillOutbasket();
}

void TAutoProgressForm::AutoStartAutoBrowseTimerTimer() {
  if (++autoStartTicks_ < kAutoStartTicks)
    return;
  autoStartTimer_->SetEnabled(false);
  // A session the user started meanwhile goes on as it is.
  if (session_.Running())
    return;
  startStop_->setChecked(true);
  Start();
}

void TAutoProgressForm::StartStopButtonClick() {
  if (startStop_->isChecked()) {
    Start();
    return;
  }
  if (!IsAffirmative(
          MessageDlg(QStringLiteral("Stop Autobrowse?"), DialogKind::Confirmation, DialogButtons::YesNo))) {
    startStop_->setChecked(true);
    return;
  }
  // The session may have ended by itself while the question was open.
  if (!session_.Running())
    return;
  // Stopped by the user, a session started with "/a" no longer ends the program.
  AutoBrowseAtStart = false;
  session_.StopAutobrowseSession();
  AddAutoNote(QString());
  AddAutoNote(QStringLiteral("Session aborted on ") + SessionTimeText(Now()));
  AddAutoNote(QStringLiteral("Duration of Session : ") +
              DurationText(static_cast<int64_t>((Now() - session_.SessionStart()) * 86400000.0)));
  ClearCounters();
  ResetButtons();
  Tree().Repaint();
  FillOutbasket();
}

void TAutoProgressForm::Start() {
  if (session_.Running())
    return;
  autoNote_->clear();
  pause_->setEnabled(true);
  pause_->setChecked(false);
  SetHint(pause_, kPauseHint);
  AddAutoNote(QStringLiteral("Session started on ") + SessionTimeText(Now()));
  AddAutoNote(QString());
  session_.StartAutobrowseSession();
  SetHint(startStop_, kStopHint);
}

void TAutoProgressForm::ResetButtons() {
  skip_->setEnabled(false);
  pause_->setChecked(false);
  SetHint(pause_, kPauseHint);
  pause_->setEnabled(false);
  startStop_->setChecked(false);
  SetHint(startStop_, kStartHint);
}

void TAutoProgressForm::PauseButtonClick() {
  if (pause_->isChecked()) {
    session_.PauseSession();
    SetHint(pause_, kContinueHint);
    label1_->setText(QStringLiteral("  Paused"));
  } else {
    SetHint(pause_, kPauseHint);
    label1_->clear();
    session_.ContinueSession();
  }
}

void TAutoProgressForm::SkipButtonClick() {
  TBMInfo *bookmark = session_.CurrentBookmark();
  if (bookmark == nullptr)
    return;
  const int32_t generation = bookmark->Generation;
  const QString text = QStringLiteral("Skip the current location?\n\n") + QString::fromUtf8(bookmark->Title);
  if (MessageDlg(text, DialogKind::Confirmation, DialogButtons::YesNoCancel) != DialogButton::Yes)
    return;
  // A bookmark that finished while the question was open is not skipped.
  if (session_.CurrentBookmark() != bookmark || bookmark->Generation != generation)
    return;
  session_.SkipAutobrowseItem();
  AddAutoNote(QStringLiteral("*Download skipped by user*"));
}

void TAutoProgressForm::CloseButtonClick() {
  hide();
}

void TAutoProgressForm::EnableSkip() {
  skip_->setEnabled(true);
}

void TAutoProgressForm::SessionEnded() {
  ResetButtons();
  QApplication::beep();
  if (AutoBrowseAtStart && programEnd_)
    programEnd_();
}

int TAutoProgressForm::FirstSelectedRow() const {
  for (int row = 0; row < outbasket_->count(); ++row) {
    if (outbasket_->item(row)->isSelected())
      return row;
  }
  return -1;
}

void TAutoProgressForm::OutbasketLBDblClick() {
  const int row = FirstSelectedRow();
  TBMInfo *bookmark = row >= 0 ? LineBookmark(row) : nullptr;
  if (bookmark == nullptr || bookmark->Locked)
    return;
  bookmark->Hold = bookmark->Hold ? 0 : 1;
  outbasket_->viewport()->update();
}

void TAutoProgressForm::OutbasketLBKeyUp() {
  const int row = FirstSelectedRow();
  const TBMInfo *bookmark = row >= 0 ? LineBookmark(row) : nullptr;
  urlPanel_->setText(QLatin1Char(' ') + (bookmark != nullptr ? QString::fromUtf8(bookmark->URL) : QString()));
}

void TAutoProgressForm::SetHeldOfSelected(bool held) {
  for (int row = 0; row < outbasket_->count(); ++row) {
    if (!outbasket_->item(row)->isSelected())
      continue;
    TBMInfo *bookmark = LineBookmark(row);
    if (bookmark != nullptr && !bookmark->Locked)
      bookmark->Hold = held ? 1 : 0;
  }
  outbasket_->viewport()->update();
}

void TAutoProgressForm::SpeedButton2Click() {
  SetHeldOfSelected(true);
}

void TAutoProgressForm::SpeedButton3Click() {
  SetHeldOfSelected(false);
}

void TAutoProgressForm::SpeedButton4Click() {
  outbasket_->selectAll();
}

} // namespace ql
