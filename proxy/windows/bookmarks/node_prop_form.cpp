#include "proxy/windows/bookmarks/node_prop_form.h"

#include "proxy/platform/timer_scale.h"
#include "proxy/windows/common/help_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace ql {

namespace {

constexpr unsigned kLockTimerMs = 4000;
constexpr int kHelpProperties = 16;
constexpr int kHelpAdvanced = 17;
constexpr int kMaxComments = 512;
constexpr int kMaxKillWords = 8192;

template <typename W> W *Named(W *widget, const char *name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

QComboBox *Choice(QWidget *parent, const char *name, const QStringList &items) {
  auto *box = Named(new QComboBox(parent), name);
  box->addItems(items);
  box->setEditable(false);
  return box;
}

QLineEdit *NumberEdit(QWidget *parent, const char *name, const QString &pattern) {
  auto *edit = Named(new QLineEdit(parent), name);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
  edit->setMaximumWidth(60);
  return edit;
}

// Keeps a memo's text within its limit.
void LimitMemo(QPlainTextEdit *memo, int limit) {
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, limit] {
    const QString text = memo->toPlainText();
    if (text.size() > limit)
      memo->setPlainText(text.left(limit));
  });
}

QWidget *Row(QWidget *parent, std::initializer_list<QWidget *> widgets) {
  auto *row = new QWidget(parent);
  auto *layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget *widget : widgets)
    layout->addWidget(widget);
  layout->addStretch();
  return row;
}

} // namespace

TNodePropForm::TNodePropForm(QWidget *parent) : QDialog(parent), clock_(Now) {
  setWindowTitle(QStringLiteral("Bookmark Properties"));
  BuildWidgets();
  Connect();
  ClearFields();
}

void TNodePropForm::BuildWidgets() {
  pages_ = Named(new QTabWidget(this), "Pages");
  pages_->addTab(BuildPropertiesPage(), QStringLiteral("&Properties"));
  pages_->addTab(BuildAdvancedPage(), QStringLiteral("&Advanced"));

  lockedPanel_ = Named(new QLabel(QStringLiteral("Bookmark Locked"), this), "LockedPanel");
  lockedPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  lockedPanel_->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
  lockedPanel_->hide();
  okButton_ = Named(new QPushButton(QStringLiteral("&OK"), this), "OKButton");
  okButton_->setDefault(true);
  auto *cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelButton");
  auto *help = Named(new QPushButton(QStringLiteral("&Help"), this), "HelpButton");
  connect(okButton_, &QPushButton::clicked, this, &TNodePropForm::OKButtonClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this,
          [this] { ShowHelpContext(pages_->currentIndex() == 0 ? kHelpProperties : kHelpAdvanced); });
  AddHelpKey(this, help);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(lockedPanel_);
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(buttons);

  lockTimer_ = new QTimer(this);
  lockTimer_->setInterval(ScaledInterval(kLockTimerMs));
  connect(lockTimer_, &QTimer::timeout, this, &TNodePropForm::LockTimerTimer);
}

QWidget *TNodePropForm::BuildPropertiesPage() {
  auto *page = new QWidget(this);
  auto *form = new QFormLayout(page);
  nameEdit_ = Named(new QLineEdit(page), "NameEdit");
  nameEdit_->setMaxLength(255);
  urlEdit_ = Named(new QLineEdit(page), "URLEdit");
  form->addRow(QStringLiteral("&Title"), nameEdit_);
  form->addRow(QStringLiteral("&URL"), urlEdit_);

  enabledCheckBox_ =
      Named(new QCheckBox(QStringLiteral("&Schedule automatic browsing"), page), "EnabledCheckBox");
  form->addRow(enabledCheckBox_);
  retrieveEvery_ = new QLabel(QStringLiteral("Retrieve every"), page);
  refreshFCB_ = Choice(page, "RefreshFCB", {QStringLiteral("Days"), QStringLiteral("Weeks")});
  daysFCB_ = Choice(page, "DaysFCB", {"1", "2", "3", "4", "5", "6"});
  weeksFCB_ = Choice(page, "WeeksFCB", {"1", "2", "3", "4", "5", "6", "7", "8"});
  dayOfWeekFCB_ = Choice(page, "DayOfWeekFCB", {"Sun", "Mon", "Tue", "Wed", "Thur", "Fri", "Sat"});
  frequency_ = new QStackedWidget(page);
  frequency_->addWidget(Row(frequency_, {daysFCB_}));
  frequency_->addWidget(Row(frequency_, {weeksFCB_, new QLabel(QStringLiteral("on"), page), dayOfWeekFCB_}));
  // The frequency boxes keep the height of one line, so that the form never hands them height
  // to spare and they stay on their label's line.
  frequency_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  QWidget *retrieveRow = Row(page, {refreshFCB_, frequency_});
  retrieveRow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  form->addRow(retrieveEvery_, retrieveRow);

  QStringList depths = {QStringLiteral("First page only"), QStringLiteral("1st level links"),
                        QStringLiteral("2nd level links"), QStringLiteral("3rd level links")};
  for (int level = 4; level <= 9; ++level)
    depths << QStringLiteral("%1th level links").arg(level);
  depthCBox_ = Choice(page, "DepthCBox", depths);
  depthLabel_ = new QLabel(QStringLiteral("&Depth"), page);
  depthLabel_->setBuddy(depthCBox_);
  form->addRow(depthLabel_, depthCBox_);
  outsideDomainCB_ =
      Named(new QCheckBox(QStringLiteral("&Follow links to external sites"), page), "OutsideDomainCB");
  processNextTimeCB_ =
      Named(new QCheckBox(QStringLiteral("Get &next Autobrowse"), page), "ProcessNextTimeCB");
  form->addRow(outsideDomainCB_);
  form->addRow(processNextTimeCB_);
  nextSchedEdit_ = Named(new QLineEdit(page), "NextSchedEdit");
  nextSchedEdit_->setReadOnly(true);
  form->addRow(QStringLiteral("Next Autobrowse scheduled for"), nextSchedEdit_);
  commentsMemo_ = Named(new QPlainTextEdit(page), "CommentsMemo");
  commentsMemo_->setMaximumHeight(70);
  LimitMemo(commentsMemo_, kMaxComments);
  form->addRow(QStringLiteral("&Comments"), commentsMemo_);
  lastCompEdit_ = Named(new QLineEdit(page), "LastCompEdit");
  lastCompEdit_->setReadOnly(true);
  auto *infoButton = Named(new QPushButton(QStringLiteral("?"), page), "InfoButton");
  infoButton->setToolTip(QStringLiteral("Explain Autobrowse settings"));
  connect(infoButton, &QPushButton::clicked, this, &TNodePropForm::InfoButtonClick);
  label12_ = Named(new QLabel(page), "Label12");
  form->addRow(QStringLiteral("Last Autobrowsed"), Row(page, {lastCompEdit_, infoButton, label12_}));
  return page;
}

QWidget *TNodePropForm::BuildAdvancedPage() {
  auto *page = new QWidget(this);
  auto *grid = new QGridLayout(page);
  maxFileSizeEdit_ = NumberEdit(page, "MaxFileSizeEdit", QStringLiteral("[0-9]{0,4}"));
  timeLimitEdit_ = NumberEdit(page, "TimeLimitEdit", QStringLiteral("[0-9]{0,3}"));
  sizeLimitEdit_ = NumberEdit(page, "SizeLimitEdit", QStringLiteral("[0-9.]{0,3}"));
  dirMoveCB_ = Choice(page, "DirMoveCB",
                      {QStringLiteral("No restriction"), QStringLiteral("Backwards only"),
                       QStringLiteral("Forwards only"), QStringLiteral("Current dir only")});
  const auto labelled = [page, grid](int row, const QString &text, QWidget *field, const QString &unit) {
    auto *label = new QLabel(text, page);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty())
      grid->addWidget(new QLabel(unit, page), row, 2);
  };
  labelled(0, QStringLiteral("Ma&x file size"), maxFileSizeEdit_, QStringLiteral("Kb"));
  labelled(1, QStringLiteral("&Dir movement"), dirMoveCB_, {});
  labelled(2, QStringLiteral("&Time limit"), timeLimitEdit_, QStringLiteral("Mins"));
  labelled(3, QStringLiteral("Si&ze limit"), sizeLimitEdit_, QStringLiteral("Mb"));

  auto *retrieve = new QGroupBox(QStringLiteral("Retrieve"), page);
  auto *retrieveLayout = new QVBoxLayout(retrieve);
  downloadImagesCB_ = Named(new QCheckBox(QStringLiteral("&In-line images"), retrieve), "DownloadImagesCB");
  downloadJavaCB_ = Named(new QCheckBox(QStringLiteral("&Java"), retrieve), "DownloadJavaCB");
  downLoadEmbedCB_ = Named(new QCheckBox(QStringLiteral("E&mbedded files"), retrieve), "DownLoadEmbedCB");
  for (QCheckBox *box : {downloadImagesCB_, downloadJavaCB_, downLoadEmbedCB_})
    retrieveLayout->addWidget(box);
  grid->addWidget(retrieve, 0, 3, 4, 1);

  usernameCB_ = Named(new QCheckBox(QStringLiteral("Use &Username and Password"), page), "UsernameCB");
  grid->addWidget(usernameCB_, 4, 0, 1, 4);
  usernameEdit_ = Named(new QLineEdit(page), "UsernameEdit");
  passwordEdit_ = Named(new QLineEdit(page), "PasswordEdit");
  passwordEdit_->setEchoMode(QLineEdit::Password);
  usernameLabel_ = new QLabel(QStringLiteral("U&sername"), page);
  usernameLabel_->setBuddy(usernameEdit_);
  passwordLabel_ = new QLabel(QStringLiteral("&Password"), page);
  passwordLabel_->setBuddy(passwordEdit_);
  grid->addWidget(usernameLabel_, 5, 0);
  grid->addWidget(usernameEdit_, 5, 1, 1, 3);
  grid->addWidget(passwordLabel_, 6, 0);
  grid->addWidget(passwordEdit_, 6, 1, 1, 3);

  killMemo_ = Named(new QPlainTextEdit(page), "KillMemo");
  LimitMemo(killMemo_, kMaxKillWords);
  auto *killLabel = new QLabel(QStringLiteral("Don't &follow URL links containing"), page);
  killLabel->setBuddy(killMemo_);
  grid->addWidget(killLabel, 7, 0, 1, 4);
  grid->addWidget(killMemo_, 8, 0, 1, 4);
  return page;
}

void TNodePropForm::Connect() {
  connect(nameEdit_, &QLineEdit::textEdited, this, [this] { titleEdited_ = true; });
  connect(urlEdit_, &QLineEdit::textEdited, this, [this] {
    urlEdited_ = true;
    UpdateOk();
  });
  connect(usernameEdit_, &QLineEdit::textEdited, this, [this] { userEdited_ = true; });
  connect(passwordEdit_, &QLineEdit::textEdited, this, [this] { passwordEdited_ = true; });
  connect(commentsMemo_, &QPlainTextEdit::textChanged, this,
          [this] { commentsEdited_ = !filling_ || commentsEdited_; });
  connect(killMemo_, &QPlainTextEdit::textChanged, this,
          [this] { wordsEdited_ = !filling_ || wordsEdited_; });
  connect(enabledCheckBox_, &QCheckBox::toggled, this, [this](bool on) {
    EnableSchedule();
    if (filling_)
      return;
    if (on)
      CalcNextRefresh();
    ShowNextDate();
  });
  connect(processNextTimeCB_, &QCheckBox::toggled, this, [this] {
    EnableSchedule();
    if (!filling_)
      ShowNextDate();
  });
  connect(refreshFCB_, &QComboBox::currentIndexChanged, this, [this] {
    ShowFrequencyPage();
    if (filling_)
      return;
    weeksFCB_->setCurrentIndex(std::min(daysFCB_->currentIndex(), weeksFCB_->count() - 1));
    CalcNextRefresh();
  });
  for (QComboBox *box : {daysFCB_, weeksFCB_, dayOfWeekFCB_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (!filling_)
        CalcNextRefresh();
    });
  }
  connect(usernameCB_, &QCheckBox::toggled, this, &TNodePropForm::EnableCredentials);
}

} // namespace ql
