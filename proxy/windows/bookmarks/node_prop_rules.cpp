#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/bookmarks/schedule_explanation.h"
#include "proxy/engine/http/day_of_week.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/windows/bookmarks/info_form.h"
#include "proxy/windows/bookmarks/node_prop_form.h"
#include "proxy/windows/bookmarks/outline_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <cmath>

namespace ql {

namespace {

constexpr int kAdvancedPage = 1;
constexpr double kBytesPerMb = 1048576.0;

// A date that the dialog shows: between 1 and 1000000 days.
bool Shown(TDateTime date) {
  return date >= 1 && date <= 1000000;
}

QString ShortDate(TDateTime date) {
  return QLocale().toString(DateTimeToCalendar(date).date(), QLocale::ShortFormat);
}

QString ShortDateTime(TDateTime date) {
  return QLocale().toString(DateTimeToCalendar(date), QLocale::ShortFormat);
}

// An edit's number, or -1 when it holds none.
double Number(const QLineEdit *edit) {
  bool ok = false;
  const double value = QLocale::c().toDouble(edit->text().trimmed(), &ok);
  return ok && std::isfinite(value) && value >= 0 ? value : -1;
}

QByteArray Bytes(const QString &text) {
  return text.toUtf8();
}

void Colour(QWidget *field, bool enabled) {
  field->setEnabled(enabled);
  field->setStyleSheet(enabled ? QString() : QStringLiteral("background-color: silver"));
}

} // namespace

TDateTime TNodePropForm::Today() const {
  return std::floor(clock_());
}

void TNodePropForm::ClearFields() {
  const bool wasFilling = filling_;
  filling_ = true;
  for (QLineEdit *edit : {nameEdit_, urlEdit_, nextSchedEdit_, lastCompEdit_, maxFileSizeEdit_,
                          timeLimitEdit_, sizeLimitEdit_, usernameEdit_, passwordEdit_})
    edit->clear();
  commentsMemo_->clear();
  killMemo_->clear();
  Colour(urlEdit_, true);
  depthCBox_->setCurrentIndex(0);
  outsideDomainCB_->setChecked(false);
  daysFCB_->setCurrentIndex(0);
  weeksFCB_->setCurrentIndex(0);
  dayOfWeekFCB_->setCurrentIndex(DayOfWeek(clock_()));
  usernameCB_->setChecked(false);
  dirMoveCB_->setCurrentIndex(0);
  pages_->setCurrentIndex(0);
  for (QCheckBox *box : {downloadImagesCB_, downloadJavaCB_, downLoadEmbedCB_})
    box->setChecked(true);
  titleEdited_ = urlEdited_ = userEdited_ = passwordEdited_ = commentsEdited_ = wordsEdited_ = false;
  EnableCredentials();
  filling_ = wasFilling;
}

void TNodePropForm::SetBookmark(TBookmarkNode *node, bool adding) {
  filling_ = true;
  adding_ = adding;
  ClearFields();
  const TBMInfo &info = node->Info();
  working_.Copy(info);
  working_.Title = info.Title;
  working_.Comments = info.Comments;
  working_.Folder = info.Folder;
  working_.SerialId = info.SerialId;
  working_.LastVisit = info.LastVisit;
  node_ = node;
  nextAtFill_ = info.NextRefresh;
  folder_ = node->IsFolder();

  nameEdit_->setText(DisplayText(info.Title));
  urlEdit_->setText(DisplayText(info.URL));
  Colour(urlEdit_, !folder_ && !node->HasChildren());
  usernameEdit_->setText(DisplayText(info.UserName));
  passwordEdit_->setText(DisplayText(info.Password));
  commentsMemo_->setPlainText(DisplayText(info.Comments));
  killMemo_->setPlainText(DisplayText(info.KillWords));
  enabledCheckBox_->setChecked(info.Scheduled != 0);
  refreshFCB_->setCurrentIndex(info.IntervalKind == EveryNWeeks ? 1 : 0);
  daysFCB_->setCurrentIndex(std::clamp(info.Days - 1, 0, daysFCB_->count() - 1));
  weeksFCB_->setCurrentIndex(std::clamp(info.Weeks - 1, 0, weeksFCB_->count() - 1));
  dayOfWeekFCB_->setCurrentIndex(((info.Weekday % 7) + 7) % 7);
  depthCBox_->setCurrentIndex(std::clamp(info.Depth, 0, depthCBox_->count() - 1));
  outsideDomainCB_->setChecked(info.FollowExternal != 0);
  processNextTimeCB_->setChecked(info.GetNextTime != 0);
  dirMoveCB_->setCurrentIndex(std::clamp<int>(info.DirMovement, 0, dirMoveCB_->count() - 1));
  usernameCB_->setChecked(info.SendCredentials != 0);
  maxFileSizeEdit_->setText(QString::number(info.MaxItemSize / 1024));
  timeLimitEdit_->setText(QString::number(info.TimeLimit / 60000));
  sizeLimitEdit_->setText(QString::number(info.SizeLimit / kBytesPerMb, 'f', 1));
  downloadImagesCB_->setChecked(info.InlineImages != 0);
  downloadJavaCB_->setChecked(info.Java != 0);
  downLoadEmbedCB_->setChecked(info.EmbeddedFiles != 0);
  label12_->setText(QString::number(info.SerialId));
  lastCompEdit_->setText(Shown(info.LastVisit) ? ShortDateTime(info.LastVisit) : QString());

  EnableSchedule();
  EnableCredentials();
  ShowFrequencyPage();
  if (adding_)
    CalcNextRefresh();
  nextSchedEdit_->setText(NextDateText());
  SetLocked(info.Locked != 0);
  filling_ = false;
}

QString TNodePropForm::NextDateText() const {
  if (Shown(working_.NextRefresh))
    return ShortDate(working_.NextRefresh);
  return processNextTimeCB_->isChecked() ? QStringLiteral("Next Autobrowse")
                                         : QStringLiteral("Not scheduled");
}

void TNodePropForm::ShowNextDate() {
  if (processNextTimeCB_->isChecked())
    nextSchedEdit_->setText(QStringLiteral("Next Autobrowse"));
  else if (enabledCheckBox_->isChecked() && Shown(working_.NextRefresh))
    nextSchedEdit_->setText(ShortDate(working_.NextRefresh));
  else
    nextSchedEdit_->setText(QStringLiteral("Not scheduled"));
}

void TNodePropForm::CalcNextRefresh() {
  if (filling_ && !adding_)
    return;
  const TDateTime now = clock_();
  if (enabledCheckBox_->isChecked()) {
    TBMInfo schedule = working_;
    schedule.Scheduled = 1;
    schedule.IntervalKind = refreshFCB_->currentIndex() == 1 ? EveryNWeeks : EveryNDays;
    schedule.Days = daysFCB_->currentText().toInt();
    schedule.Weeks = weeksFCB_->currentText().toInt();
    schedule.Weekday = dayOfWeekFCB_->currentIndex();
    schedule.CalcNextRefresh(now);
    working_.NextRefresh = schedule.NextRefresh;
  } else {
    working_.NextRefresh = std::floor(now);
  }
  if (!processNextTimeCB_->isChecked() && Shown(working_.NextRefresh))
    nextSchedEdit_->setText(ShortDate(working_.NextRefresh));
}

void TNodePropForm::ShowFrequencyPage() {
  frequency_->setCurrentIndex(refreshFCB_->currentIndex() == 1 ? 1 : 0);
}

void TNodePropForm::EnableSchedule() {
  const bool scheduled = enabledCheckBox_->isChecked();
  for (QWidget *field : {static_cast<QWidget *>(retrieveEvery_), static_cast<QWidget *>(refreshFCB_),
                         static_cast<QWidget *>(daysFCB_), static_cast<QWidget *>(weeksFCB_),
                         static_cast<QWidget *>(dayOfWeekFCB_)})
    field->setEnabled(scheduled);
  const bool fetched = scheduled || processNextTimeCB_->isChecked();
  depthLabel_->setEnabled(fetched);
  depthCBox_->setEnabled(fetched);
  outsideDomainCB_->setEnabled(fetched);
}

void TNodePropForm::EnableCredentials() {
  const bool on = usernameCB_->isChecked();
  usernameLabel_->setEnabled(on);
  passwordLabel_->setEnabled(on);
  Colour(usernameEdit_, on);
  Colour(passwordEdit_, on);
}

void TNodePropForm::SetLocked(bool locked) {
  locked_ = locked;
  lockedPanel_->setVisible(locked);
  UpdateOk();
}

void TNodePropForm::UpdateOk() {
  okButton_->setEnabled(!locked_ && (!urlEdit_->isEnabled() || !urlEdit_->text().isEmpty()));
}

void TNodePropForm::LockTimerTimer() {
  SetLocked(node_ != nullptr && node_->Info().Locked != 0);
}

void TNodePropForm::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  lockTimer_->start();
  nameEdit_->setFocus();
  nameEdit_->selectAll();
}

void TNodePropForm::done(int result) {
  lockTimer_->stop();
  QDialog::done(result);
}

void TNodePropForm::Refuse(const QString &text, QWidget *field) {
  MessageDlg(text, DialogKind::Information, DialogButtons::Ok);
  pages_->setCurrentIndex(kAdvancedPage);
  field->setFocus();
}

bool TNodePropForm::ValidateLimits() {
  const double size = Number(sizeLimitEdit_);
  const double time = Number(timeLimitEdit_);
  const double largest = Number(maxFileSizeEdit_);
  if (size < 0) {
    Refuse(QStringLiteral("Please enter a Size Limit value."), sizeLimitEdit_);
    return false;
  }
  if (time < 0) {
    Refuse(QStringLiteral("Please enter a Time Limit value."), timeLimitEdit_);
    return false;
  }
  if (largest < 0) {
    Refuse(QStringLiteral("Please enter a Maximum File Size value."), maxFileSizeEdit_);
    return false;
  }
  if (size < 0.2) {
    Refuse(QStringLiteral("Size Limit must be at least 0.2Mb."), sizeLimitEdit_);
    return false;
  }
  if (largest < 2) {
    Refuse(QStringLiteral("Maximum File Size must be at least 2Kb."), maxFileSizeEdit_);
    return false;
  }
  if (time < 2) {
    Refuse(QStringLiteral("Time limit must be at least 2 minutes."), timeLimitEdit_);
    return false;
  }
  return true;
}

TBMInfo TNodePropForm::FromControls() const {
  TBMInfo info = working_;
  info.Scheduled = enabledCheckBox_->isChecked() ? 1 : 0;
  info.IntervalKind = refreshFCB_->currentIndex() == 1 ? EveryNWeeks : EveryNDays;
  info.Days = daysFCB_->currentText().toInt();
  info.Weeks = weeksFCB_->currentText().toInt();
  info.Weekday = dayOfWeekFCB_->currentIndex();
  info.Depth = depthCBox_->currentIndex();
  info.FollowExternal = outsideDomainCB_->isChecked() ? 1 : 0;
  info.GetNextTime = processNextTimeCB_->isChecked() ? 1 : 0;
  info.DirMovement = static_cast<uint8_t>(dirMoveCB_->currentIndex());
  info.SendCredentials = usernameCB_->isChecked() ? 1 : 0;
  info.InlineImages = downloadImagesCB_->isChecked() ? 1 : 0;
  info.Java = downloadJavaCB_->isChecked() ? 1 : 0;
  info.EmbeddedFiles = downLoadEmbedCB_->isChecked() ? 1 : 0;
  if (const double largest = Number(maxFileSizeEdit_); largest >= 0)
    info.MaxItemSize = static_cast<int32_t>(largest) * 1024;
  if (const double time = Number(timeLimitEdit_); time >= 0)
    info.TimeLimit = static_cast<int32_t>(time) * 60000;
  if (const double size = Number(sizeLimitEdit_); size >= 0)
    info.SizeLimit = static_cast<int32_t>(std::lround(size * kBytesPerMb));
  if (titleEdited_)
    info.Title = Bytes(nameEdit_->text());
  if (urlEdited_)
    info.URL = Bytes(urlEdit_->text());
  if (userEdited_)
    info.UserName = Bytes(usernameEdit_->text());
  if (passwordEdited_)
    info.Password = Bytes(passwordEdit_->text());
  if (commentsEdited_)
    info.Comments = Bytes(commentsMemo_->toPlainText());
  if (wordsEdited_)
    info.KillWords = Bytes(killMemo_->toPlainText());
  return info;
}

void TNodePropForm::OKButtonClick() {
  if (node_ == nullptr)
    return;
  if (locked_) {
    LockTimerTimer();
    return;
  }
  if (!ValidateLimits())
    return;
  if (Number(maxFileSizeEdit_) < 10) {
    Refuse(QStringLiteral("Maximum filesize must be at least 10 Kb."), maxFileSizeEdit_);
    return;
  }
  TBMInfo &target = node_->Info();
  // An Autobrowse run that ended while the dialog was open changed these; they stay.
  const int32_t liveGeneration = target.Generation;
  const TDateTime liveLastVisit = target.LastVisit;
  const TDateTime liveNext = target.NextRefresh;
  const TBMInfo chosen = FromControls();
  target.Copy(chosen);
  target.Scheduled = chosen.Scheduled;
  target.Title = chosen.Title;
  target.Comments = chosen.Comments;
  target.Generation = liveGeneration;
  target.LastVisit = liveLastVisit;
  if (liveNext != nextAtFill_ && chosen.NextRefresh == nextAtFill_)
    target.NextRefresh = liveNext;
  OutbasketStale = true;
  lockTimer_->stop();
  accept();
}

void TNodePropForm::InfoButtonClick() {
  if (info_ == nullptr)
    return;
  TBMInfo shown = FromControls();
  shown.Title = Bytes(nameEdit_->text());
  shown.URL = Bytes(urlEdit_->text());
  info_->ShowLines(ExplainAutobrowseSettings(shown, folder_));
  info_->exec();
}

} // namespace ql
