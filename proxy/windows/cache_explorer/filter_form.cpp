#include "proxy/windows/cache_explorer/filter_form.h"

#include "proxy/engine/search/filter_dates.h"
#include "proxy/engine/search/go_on_flag.h"
#include "proxy/platform/message_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/cache_explorer/cache_form.h"
#include "proxy/windows/cache_explorer/dropdown_history.h"
#include "proxy/windows/cache_explorer/progress_panel.h"
#include "proxy/windows/common/help_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace ql {

namespace {

constexpr int kHelpContext = 15;
const QString kSection = QStringLiteral("Filter");

// Today's date less some days, as the date boxes show it.
QString DaysAgo(int days) {
  return DateToStr(std::floor(Now()) - days);
}

} // namespace

TFilterForm::TFilterForm(TRegIniFile &settings, TCacheForm &explorer, QWidget *parent)
    : QDialog(parent), settings_(settings), explorer_(explorer) {
  setWindowTitle(QStringLiteral("Filter"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  FromDateEdit = new QLineEdit(this);
  ToDateEdit = new QLineEdit(this);
  datePopupMenu_ = new QMenu(this);
  datePopupMenu_->addAction(QStringLiteral("&Today"), this, &TFilterForm::Today1Click);
  datePopupMenu_->addAction(QStringLiteral("&Yesterday"), this, &TFilterForm::Yesterday1Click);
  datePopupMenu_->addAction(QStringLiteral("Past &Week"), this, &TFilterForm::PastWeek1Click);
  datePopupMenu_->addAction(QStringLiteral("Past Two Week&s"), this, &TFilterForm::Pasttwoweeks1Click);
  datePopupMenu_->addAction(QStringLiteral("Past &Month"), this, &TFilterForm::PastMonth1Click);
  datePopupMenu_->addSeparator();
  datePopupMenu_->addAction(QStringLiteral("Cancel"));
  for (QLineEdit *edit : {FromDateEdit, ToDateEdit}) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    edit->installEventFilter(this);
    connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint &at) {
      popupTarget_ = edit;
      datePopupMenu_->exec(edit->mapToGlobal(at));
    });
  }
  form->addRow(QStringLiteral("From"), FromDateEdit);
  form->addRow(QStringLiteral("To"), ToDateEdit);
  TitleSearchEdit = AddHistoryBox(QStringLiteral("TitleSearchEdit"));
  URLSearchEdit = AddHistoryBox(QStringLiteral("URLSearchEdit"));
  HTMLSearchEdit = AddHistoryBox(QStringLiteral("HTMLSearchEdit"));
  form->addRow(QStringLiteral("Find in Title"), TitleSearchEdit);
  form->addRow(QStringLiteral("Find in URL"), URLSearchEdit);
  form->addRow(QStringLiteral("Find in HTML"), HTMLSearchEdit);
  layout->addLayout(form);
  MatchCaseCB = new QCheckBox(QStringLiteral("Match case"), this);
  ApplyToCurrentCB = new QCheckBox(QStringLiteral("Apply to current selection"), this);
  layout->addWidget(MatchCaseCB);
  layout->addWidget(ApplyToCurrentCB);

  auto *types = new QGroupBox(QStringLiteral("Show only files of type"), this);
  auto *typeRow = new QHBoxLayout(types);
  const auto typeBox = [&](const char *caption, const char *setting) {
    auto *box = new QCheckBox(QLatin1String(caption), types);
    box->setObjectName(QLatin1String(setting));
    box->setChecked(settings_.ReadBool(kSection, QLatin1String(setting), true));
    typeRow->addWidget(box);
    return box;
  };
  TextCB = typeBox("Text", "Text");
  ImagesCB = typeBox("Images", "Images");
  VideoCB = typeBox("Video", "Video");
  AudioCB = typeBox("Audio", "Audio");
  OtherCB = typeBox("Other", "Other");
  layout->addWidget(types);

  auto *buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::ActionRole);
  clear_ = buttons->addButton(QStringLiteral("&Clear"), QDialogButtonBox::ActionRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &TFilterForm::OKButtonClick);
  connect(clear_, &QPushButton::clicked, this, &TFilterForm::ClearButtonClick);
  connect(help, &QPushButton::clicked, this, [] { ShowHelpContext(kHelpContext); });
  AddHelpKey(this, help);
  connect(cancel, &QPushButton::clicked, this, &TFilterForm::BitBtn1Click);
  layout->addWidget(buttons);
  QWidget *const order[] = {FromDateEdit,   ToDateEdit,  TitleSearchEdit, URLSearchEdit,
                            HTMLSearchEdit, MatchCaseCB, ApplyToCurrentCB};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i)
    setTabOrder(order[i], order[i + 1]);
  panel_ = new TProgressPanel(this);
}

TFilterForm::~TFilterForm() {
  explorer_.View().Drop();
  const auto history = [this](QComboBox *box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
      list << box->itemText(i);
    WriteDropdownList(settings_, box->objectName(), list);
  };
  history(TitleSearchEdit);
  history(URLSearchEdit);
  history(HTMLSearchEdit);
  try {
    for (const QCheckBox *box : {TextCB, ImagesCB, VideoCB, AudioCB, OtherCB})
      settings_.WriteBool(kSection, box->objectName(), box->isChecked());
  } catch (const RegistryError &) {
    // The boxes are kept for this run only.
  }
}

QComboBox *TFilterForm::AddHistoryBox(const QString &name) {
  auto *box = new QComboBox(this);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(ReadDropdownList(settings_, name));
  box->setEditText(QString());
  return box;
}

void TFilterForm::showEvent(QShowEvent *event) {
  GoOnFlag = true;
  QDialog::showEvent(event);
  FromDateEdit->setFocus();
}

bool TFilterForm::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusOut && (watched == FromDateEdit || watched == ToDateEdit))
    SpecialDateConversion(static_cast<QLineEdit *>(watched));
  return QDialog::eventFilter(watched, event);
}

// A text that reads as no date is kept as typed, so that OK can name the box at fault.
void TFilterForm::SpecialDateConversion(QLineEdit *edit) {
  const QString text = edit->text().trimmed();
  if (text.isEmpty())
    return;
  const QString converted = ql::SpecialDateConversion(text, Now());
  if (!converted.isEmpty())
    edit->setText(converted);
}

void TFilterForm::SetDates(const QString &from, const QString &to) {
  FromDateEdit->setText(from);
  ToDateEdit->setText(to);
}

void TFilterForm::Today1Click() {
  SetDates(DaysAgo(0), DaysAgo(0));
}

void TFilterForm::Yesterday1Click() {
  SetDates(DaysAgo(1), DaysAgo(1));
}

void TFilterForm::PastWeek1Click() {
  SetDates(DaysAgo(7), QString());
}

void TFilterForm::Pasttwoweeks1Click() {
  SetDates(DaysAgo(14), QString());
}

void TFilterForm::PastMonth1Click() {
  SetDates(DaysAgo(30), QString());
}

void TFilterForm::ClearButtonClick() {
  FromDateEdit->clear();
  ToDateEdit->clear();
  TitleSearchEdit->setEditText(QString());
  URLSearchEdit->setEditText(QString());
  HTMLSearchEdit->setEditText(QString());
  FromDateEdit->setFocus();
}

bool TFilterForm::CheckDate(QLineEdit *edit, const QString &error) {
  if (edit->text().trimmed().isEmpty())
    return true;
  SpecialDateConversion(edit);
  TDateTime value = 0;
  if (StrToDateTime(edit->text(), &value))
    return true;
  MessageDlg(error, DialogKind::Error, DialogButtons::Ok);
  edit->setFocus();
  return false;
}

void TFilterForm::AddToHistory(QComboBox *box) {
  QStringList list;
  for (int i = 0; i < box->count(); ++i)
    list << box->itemText(i);
  const QString text = box->currentText();
  AddToDropdownList(list, text);
  box->clear();
  box->addItems(list);
  box->setEditText(text);
}

bool TFilterForm::OKButtonClick() {
  if (!TextCB->isChecked() && !ImagesCB->isChecked() && !VideoCB->isChecked() && !AudioCB->isChecked() &&
      !OtherCB->isChecked()) {
    MessageDlg(QStringLiteral("At least one file type must be selected"), DialogKind::Error,
               DialogButtons::Ok);
    return false;
  }
  if (!CheckDate(FromDateEdit, QStringLiteral("Invalid From date")) ||
      !CheckDate(ToDateEdit, QStringLiteral("Invalid To date")))
    return false;

  TSearch search;
  search.FromDate = FromDateEdit->text().trimmed().toUtf8();
  search.ToDate = ToDateEdit->text().trimmed().toUtf8();
  search.TitleText = TitleSearchEdit->currentText().toUtf8();
  search.UrlText = URLSearchEdit->currentText().toUtf8();
  search.HtmlText = HTMLSearchEdit->currentText().toUtf8();
  search.MatchCase = MatchCaseCB->isChecked();
  search.ApplyToCurrent = ApplyToCurrentCB->isChecked();
  search.Text = TextCB->isChecked();
  search.Images = ImagesCB->isChecked();
  search.Video = VideoCB->isChecked();
  search.Audio = AudioCB->isChecked();
  search.Other = OtherCB->isChecked();

  {
    // The panel shows and the buttons rest while the search runs, also when it fails.
    struct TRunning {
      TFilterForm &form;
      explicit TRunning(TFilterForm &f) : form(f) {
        form.panel_->ShowProgressLine(false);
        form.panel_->ShowCaption(QStringLiteral("Searching. Please wait..."));
        form.ok_->setEnabled(false);
        form.clear_->setEnabled(false);
        form.searching_ = true;
      }
      ~TRunning() {
        form.searching_ = false;
        form.panel_->hide();
        form.panel_->ShowProgressLine(true);
        form.ok_->setEnabled(true);
        form.clear_->setEnabled(true);
      }
    } running(*this);
    explorer_.RunSearch(search, this);
  }
  explorer_.ShowItems();
  AddToHistory(TitleSearchEdit);
  AddToHistory(URLSearchEdit);
  AddToHistory(HTMLSearchEdit);
  // A Cancel during the search has closed the dialog already.
  if (isVisible())
    accept();
  return true;
}

void TFilterForm::BitBtn1Click() {
  reject();
}

void TFilterForm::reject() {
  if (searching_)
    GoOnFlag = false;
  QDialog::reject();
}

void TFilterForm::ProcessMessages() {
  QCoreApplication::processEvents();
}

void TFilterForm::ShowHtmlProgress() {
  panel_->SetLabel(QStringLiteral("Searching HTML documents"));
  panel_->SetPercent(0);
  panel_->ShowProgressLine(true);
  panel_->ShowCaption(panel_->Caption());
}

void TFilterForm::SetHtmlProgress(int percent) {
  panel_->SetPercent(percent);
}

void TFilterForm::HideHtmlProgress() {
  panel_->ShowProgressLine(false);
}

} // namespace ql
