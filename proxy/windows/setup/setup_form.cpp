#include "proxy/windows/setup/setup_form.h"

#include "proxy/engine/browser/browser_config.h"
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/platform/file_dialogs.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/windows/common/help_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStorageInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace ql {

namespace {

constexpr int kFirstHelpContext = 18;
// A port number has at most five digits; OK refuses one above 65535.
constexpr int kPortDigits = 5;

// A box that takes digits and backspace only; any other character typed is dropped with a
// beep. Its validator refuses a paste that is not all digits.
class TDigitsEdit : public QLineEdit {
public:
  using QLineEdit::QLineEdit;

protected:
  void keyPressEvent(QKeyEvent *event) override {
    const QString text = event->text();
    const bool printable =
        !text.isEmpty() && text.at(0).isPrint() &&
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (printable && !text.at(0).isDigit()) {
      QApplication::beep();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
};

QString Megabytes(int64_t bytes) {
  return QString::number(static_cast<double>(bytes) / 1048576.0, 'f', 1) + QStringLiteral(" Mb");
}

} // namespace

TSetupForm::TSetupForm(const TSetupFormLinks &links, QWidget *parent)
    : QDialog(parent), links_(links), settings_(*links.settings) {
  setWindowTitle(QStringLiteral("Setup"));
  auto *layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  layout->addWidget(pages_);
  BuildGeneralPage();
  BuildAdvancedPage();
  BuildInformationPage();

  auto *buttons = new QDialogButtonBox(this);
  QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  QPushButton *help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TSetupForm::OKButtonClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this,
          [this] { ShowHelpContext(kFirstHelpContext + std::max(0, pages_->currentIndex())); });
  AddHelpKey(this, help);
  layout->addWidget(buttons);

  // FormCreate: the exclusion words, the browser's paths on the first use, the browser path.
  killMemo_->setPlainText(links_.restrict.ReadText());
  killMemo_->document()->setModified(false);
  if (links_.firstUse && links_.browser != nullptr)
    links_.browser->SaveBrowserPaths();
  browserPath_->setText(settings_.ReadString(QStringLiteral("General"), QStringLiteral("BrowserPath"), {}));
}

QLineEdit *TSetupForm::NumberBox(QWidget *parent, const QString &name, int digits) {
  auto *box = new TDigitsEdit(parent);
  box->setObjectName(name);
  box->setMaxLength(digits);
  box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), box));
  box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 2) + 12);
  return box;
}

QLineEdit *TSetupForm::TextBox(QWidget *parent, const QString &name) {
  auto *box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

QCheckBox *TSetupForm::CheckBox(QWidget *parent, const QString &name, const QString &caption,
                                const QString &hint) {
  auto *box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setToolTip(hint);
  return box;
}

void TSetupForm::BuildGeneralPage() {
  general_ = new QWidget;
  auto *layout = new QVBoxLayout(general_);
  auto *browserBox = new QGroupBox(QStringLiteral("Browser:"), general_);
  auto *browserLayout = new QGridLayout(browserBox);
  brNetscape_ = new QRadioButton(QStringLiteral("Automatically locate Netscape"), browserBox);
  brMsie_ = new QRadioButton(QStringLiteral("Automatically locate MS Internet Explorer"), browserBox);
  brManual_ = new QRadioButton(QStringLiteral("Manually locate"), browserBox);
  brNetscape_->setObjectName(QStringLiteral("BrowRBNetscape"));
  brMsie_->setObjectName(QStringLiteral("BrowRBMSIE"));
  brManual_->setObjectName(QStringLiteral("BrowRBManual"));
  browserLayout->addWidget(brNetscape_, 0, 0, 1, 2);
  browserLayout->addWidget(brMsie_, 1, 0, 1, 2);
  browserLayout->addWidget(brManual_, 2, 0, 1, 2);
  browserLayout->addWidget(new QLabel(QStringLiteral("Path to Browser"), browserBox), 3, 0, 1, 2);
  browserPath_ = TextBox(browserBox, QStringLiteral("BrowserPathEdit"));
  browseForBrowser_ = new QPushButton(QStringLiteral("Browse for file"), browserBox);
  browserLayout->addWidget(browserPath_, 4, 0);
  browserLayout->addWidget(browseForBrowser_, 4, 1);
  for (QRadioButton *radio : {brNetscape_, brMsie_, brManual_})
    connect(radio, &QRadioButton::clicked, this, &TSetupForm::BrowRBClick);
  connect(browseForBrowser_, &QPushButton::clicked, this, &TSetupForm::BrowseForBrowserButtonClick);
  layout->addWidget(browserBox);

  auto *options = new QGridLayout;
  activate_ =
      CheckBox(general_, QStringLiteral("ActivateBrowserWindowCB"), QStringLiteral("Activate browser"),
               QStringLiteral("Active browser window on double-click"));
  autoStart_ =
      CheckBox(general_, QStringLiteral("AutoStartBrowserCB"), QStringLiteral("Auto start/exit browser"));
  showBookmarks_ =
      CheckBox(general_, QStringLiteral("ShowBookmarksCB"), QStringLiteral("Show bookmarks on startup"));
  flash_ = CheckBox(general_, QStringLiteral("FlashControlbarCB"), QStringLiteral("Flash Control Bar"));
  restoreOnExit_ =
      CheckBox(general_, QStringLiteral("RestoreBrowserOnExitCB"), QStringLiteral("Restore on exit"));
  options->addWidget(activate_, 0, 0);
  options->addWidget(autoStart_, 0, 1);
  options->addWidget(showBookmarks_, 1, 0);
  options->addWidget(flash_, 1, 1);
  options->addWidget(restoreOnExit_, 2, 0);
  layout->addLayout(options);

  auto *proxyBox = new QGroupBox(QStringLiteral("Proxy"), general_);
  auto *proxyLayout = new QHBoxLayout(proxyBox);
  proxyIP_ = TextBox(proxyBox, QStringLiteral("ProxyIPEdit"));
  proxyPort_ = NumberBox(proxyBox, QStringLiteral("ProxyPortEdit"), kPortDigits);
  proxyLayout->addWidget(new QLabel(QStringLiteral("Proxy server name"), proxyBox));
  proxyLayout->addWidget(proxyIP_, 1);
  proxyLayout->addWidget(new QLabel(QStringLiteral("Port"), proxyBox));
  proxyLayout->addWidget(proxyPort_);
  layout->addWidget(proxyBox);
  layout->addStretch(1);
  pages_->addTab(general_, QStringLiteral("&General"));
}

void TSetupForm::BuildAdvancedPage() {
  advanced_ = new QWidget;
  auto *layout = new QGridLayout(advanced_);
  auto *killBox = new QGroupBox(QStringLiteral("Don't Autobrowse URL links containing"), advanced_);
  auto *killLayout = new QVBoxLayout(killBox);
  killMemo_ = new QPlainTextEdit(killBox);
  killMemo_->setObjectName(QStringLiteral("GlobalKillMemo"));
  killLayout->addWidget(killMemo_);
  connect(killMemo_, &QPlainTextEdit::textChanged, this, [this] {
    // The memo holds at most kMaxText characters.
    const QString text = killMemo_->toPlainText();
    if (text.size() > TRestrictFile::kMaxText) {
      killMemo_->setPlainText(text.left(TRestrictFile::kMaxText));
      killMemo_->moveCursor(QTextCursor::End);
      QApplication::beep();
    }
  });
  layout->addWidget(killBox, 0, 0, 4, 1);

  auto *form = new QFormLayout;
  maxCacheSize_ = NumberBox(advanced_, QStringLiteral("MaxCacheSizeEdit"), 3);
  maxItemSize_ = NumberBox(advanced_, QStringLiteral("MaxCacheItemSizeEdit"), 7);
  httpPort_ = NumberBox(advanced_, QStringLiteral("HTTPPortEdit"), kPortDigits);
  cacheNumResults_ = NumberBox(advanced_, QStringLiteral("CacheNumResultsEdit"), 3);
  auto withUnit = [this](QLineEdit *box, const QString &unit) {
    auto *row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(new QLabel(unit, advanced_));
    row->addStretch(1);
    return row;
  };
  form->addRow(QStringLiteral("Maximum cache size"), withUnit(maxCacheSize_, QStringLiteral("Mb")));
  form->addRow(QStringLiteral("Max cache item size"), withUnit(maxItemSize_, QStringLiteral("Kb")));
  form->addRow(QStringLiteral("Service port"), httpPort_);
  form->addRow(QStringLiteral("Cache display count"), cacheNumResults_);
  layout->addLayout(form, 0, 1);
  useLoopback_ = CheckBox(advanced_, QStringLiteral("UseLoopbackCB"), QStringLiteral("Use Loopback"),
                          QStringLiteral("Bind to Loopback - do not adjust under normal circumstances"));
  showFilenames_ = CheckBox(advanced_, QStringLiteral("ShowFilenamesCB"), QStringLiteral("Show filenames"),
                            QStringLiteral("Show filenames in Cache Explorer when title is not available"));
  linkMsie3_ = CheckBox(advanced_, QStringLiteral("LinkMSIE3CB"), QStringLiteral("Link to MSIE 3"));
  layout->addWidget(useLoopback_, 1, 1);
  layout->addWidget(showFilenames_, 2, 1);
  layout->addWidget(linkMsie3_, 3, 1);

  auto *dirRow = new QHBoxLayout;
  dataDir_ = TextBox(advanced_, QStringLiteral("DataDirEdit"));
  dataDir_->setMaxLength(255);
  dataDirBrowse_ = new QPushButton(QStringLiteral("Browse for directory"), advanced_);
  dirRow->addWidget(new QLabel(QStringLiteral("Quenlark data directory"), advanced_));
  dirRow->addWidget(dataDir_, 1);
  dirRow->addWidget(dataDirBrowse_);
  connect(dataDirBrowse_, &QPushButton::clicked, this, &TSetupForm::DataDirBrowseClick);
  layout->addLayout(dirRow, 4, 0, 1, 2);
  layout->setColumnStretch(0, 1);
  pages_->addTab(advanced_, QStringLiteral("&Advanced"));
}

void TSetupForm::BuildInformationPage() {
  auto *page = new QWidget;
  auto *form = new QFormLayout(page);
  const QString captions[4] = {QStringLiteral("Free disk space "), QStringLiteral("Cache size "),
                               QStringLiteral("Cache items"), QStringLiteral("Cache size (Auto)")};
  for (int row = 0; row < 4; ++row) {
    info_[row] = new QLabel(page);
    form->addRow(captions[row], info_[row]);
  }
  pages_->addTab(page, QStringLiteral("&Information"));
}

QLineEdit *TSetupForm::Edit(const QString &name) const {
  return findChild<QLineEdit *>(name);
}

QCheckBox *TSetupForm::Check(const QString &name) const {
  return findChild<QCheckBox *>(name);
}

QRadioButton *TSetupForm::Radio(const QString &name) const {
  return findChild<QRadioButton *>(name);
}

QString TSetupForm::InformationText(int row) const {
  return info_[std::clamp(row, 0, 3)]->text();
}

void TSetupForm::showEvent(QShowEvent *event) {
  FormShow();
  QDialog::showEvent(event);
}

void TSetupForm::FormShow() {
  const TEngineSettings &s = EngineSettings;
  maxCacheSize_->setText(QString::number(std::lround(s.MaxCacheSize / 1048576.0)));
  maxItemSize_->setText(QString::number(std::lround(s.MaxCacheItemSize / 1024.0)));
  httpPort_->setText(QString::number(s.HTTPProxyPort));
  activate_->setChecked(s.ActivateBrowserWindow);
  autoStart_->setChecked(s.AutoStartBrowser);
  showBookmarks_->setChecked(s.ShowBookmarks);
  restoreOnExit_->setChecked(s.RestoreBrowserOnExit);
  useLoopback_->setChecked(s.UseLoopback);
  showFilenames_->setChecked(s.ShowFilenames);
  linkMsie3_->setChecked(s.DDEMSIE3);
  proxyIP_->setText(UseUpstreamProxy ? QString::fromLatin1(UpstreamProxyHost) : QString());
  proxyPort_->setText(s.ProxyPort == -1 ? QString() : QString::number(s.ProxyPort));
  cacheNumResults_->setText(QString::number(s.CacheNumResults));

  const TCacheIndex &index = links_.cache->Index();
  const QStorageInfo storage(FileSystemPath(DataDirectory));
  info_[0]->setText(Megabytes(storage.isValid() ? storage.bytesAvailable() : 0));
  info_[1]->setText(Megabytes(index.CacheTotalSize()));
  info_[2]->setText(QString::number(index.Count()));
  int64_t autoSize = 0;
  index.ForEach([&autoSize, &index](const TCacheItem &item) {
    if (item.EntryType == Auto)
      autoSize += index.SpaceOf(item.Length);
  });
  info_[3]->setText(Megabytes(autoSize));

  flash_->setChecked(settings_.ReadBool(QStringLiteral("General"), QStringLiteral("FlashControlbar"), false));
  shownDataDir_ = FileSystemPath(DataDirectory);
  dataDir_->setText(shownDataDir_);
  if (!s.AutoLocateBrowser)
    brManual_->setChecked(true);
  else if (s.UseIExplore)
    brMsie_->setChecked(true);
  else
    brNetscape_->setChecked(true);
  ApplyBrowserPathEnabling();
  killMemo_->document()->setModified(false);
  pages_->setCurrentIndex(0);
}

void TSetupForm::ApplyBrowserPathEnabling() {
  const bool manual = brManual_->isChecked();
  browserPath_->setEnabled(manual);
  browseForBrowser_->setEnabled(manual);
}

void TSetupForm::BrowRBClick() {
  ApplyBrowserPathEnabling();
}

void TSetupForm::BrowseForBrowserButtonClick() {
  FileDialogRequest request;
  request.kind = FileDialogKind::Open;
  request.title = QStringLiteral("Browse for file");
  request.filter = QStringLiteral("Executable (*.exe)|*.exe|All files (*)|*");
  request.fileName = browserPath_->text();
  request.mustExist = true;
  const FileDialogAnswer answer = RunFileDialog(request);
  if (answer.accepted) {
    browserPath_->setText(answer.path);
    browserPath_->setModified(true);
  }
}

void TSetupForm::DataDirBrowseClick() {
  QString directory = dataDir_->text();
  if (ChooseDirectory(directory, dataDir_->maxLength())) {
    dataDir_->setText(directory);
    dataDir_->setModified(true);
  }
}

} // namespace ql
