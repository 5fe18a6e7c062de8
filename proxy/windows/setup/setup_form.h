#pragma once

#include "proxy/windows/setup/restrict_file.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ql {

class TBrowserConfig;
class TCacheForm;
class TProxyCache;
class TRegIniFile;

// What the Setup dialog works on. settings and cache are required; the others may be null.
struct TSetupFormLinks {
  TRegIniFile *settings = nullptr;
  TProxyCache *cache = nullptr;
  TCacheForm *explorer = nullptr;    // sorted and shown again when "Show filenames" changes
  TBrowserConfig *browser = nullptr; // records the browser's paths on the first use
  bool firstUse = false;
  TRestrictFile restrict;
};

// Setup, "Setup": the program's settings on three pages. "&General": the browser (located
// automatically or by path), its start and exit options and the upstream proxy; "&Advanced":
// the words whose links Autobrowse does not follow (restrict.dat), the cache limits, the
// service port and loopback choice, the Cache Explorer's file names, the cache page's count
// and the data directory; "&Information": free space, cache size, entries and Autobrowse
// size. Showing fills every box from the running values.
//
// OK validates the boxes in a fixed order, each failure with its message, its page turned to
// and its box focused, and nothing written; then it writes each changed setting to the
// settings store and to the running program, restarts the listener when the port or the
// loopback choice changed (a listener that cannot move keeps serving where it was, and the
// dialog stays open with the values in force), writes restrict.dat when its words were edited
// and tells SetRestrictChanged. A changed data directory must be a folder that can be created
// and written; it takes effect at the next start. The links must outlive the dialog. GUI
// thread only.
class TSetupForm : public QDialog {
public:
  explicit TSetupForm(const TSetupFormLinks &links, QWidget *parent = nullptr);

  void SetRestrictChanged(std::function<void()> changed) { restrictChanged_ = std::move(changed); }

  // The handlers.
  void OKButtonClick();
  bool ValidateSettings();
  void BrowRBClick();
  void BrowseForBrowserButtonClick();
  void DataDirBrowseClick();
  // Runs Select Directory from directory; answers whether one was chosen and leaves it there
  // (at most maxLength characters).
  static bool ChooseDirectory(QString &directory, int maxLength);

  // The boxes, for tests.
  QTabWidget *Pages() const { return pages_; }
  QLineEdit *Edit(const QString &name) const;
  QCheckBox *Check(const QString &name) const;
  QRadioButton *Radio(const QString &name) const;
  QPlainTextEdit *KillMemo() const { return killMemo_; }
  QString InformationText(int row) const;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void BuildGeneralPage();
  void BuildAdvancedPage();
  void BuildInformationPage();
  QLineEdit *NumberBox(QWidget *parent, const QString &name, int digits);
  QLineEdit *TextBox(QWidget *parent, const QString &name);
  QCheckBox *CheckBox(QWidget *parent, const QString &name, const QString &caption, const QString &hint = {});
  void FormShow();
  bool Refuse(QWidget *page, QWidget *box, const QString &message);
  void ApplyBrowserPathEnabling();
  bool ApplyListener();
  void WriteSetting(const std::function<void()> &write);

  TSetupFormLinks links_;
  TRegIniFile &settings_;
  std::function<void()> restrictChanged_;
  bool writeFailed_ = false;
  QString shownDataDir_;

  QTabWidget *pages_ = nullptr;
  QWidget *general_ = nullptr;
  QWidget *advanced_ = nullptr;
  QRadioButton *brNetscape_ = nullptr;
  QRadioButton *brMsie_ = nullptr;
  QRadioButton *brManual_ = nullptr;
  QLineEdit *browserPath_ = nullptr;
  QPushButton *browseForBrowser_ = nullptr;
  QCheckBox *activate_ = nullptr;
  QCheckBox *autoStart_ = nullptr;
  QCheckBox *showBookmarks_ = nullptr;
  QCheckBox *flash_ = nullptr;
  QCheckBox *restoreOnExit_ = nullptr;
  QLineEdit *proxyIP_ = nullptr;
  QLineEdit *proxyPort_ = nullptr;
  QPlainTextEdit *killMemo_ = nullptr;
  QLineEdit *maxCacheSize_ = nullptr;
  QLineEdit *maxItemSize_ = nullptr;
  QLineEdit *httpPort_ = nullptr;
  QCheckBox *useLoopback_ = nullptr;
  QCheckBox *showFilenames_ = nullptr;
  QCheckBox *linkMsie3_ = nullptr;
  QLineEdit *cacheNumResults_ = nullptr;
  QLineEdit *dataDir_ = nullptr;
  QPushButton *dataDirBrowse_ = nullptr;
  QLabel *info_[4] = {};
};

} // namespace ql
