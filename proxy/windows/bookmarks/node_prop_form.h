#pragma once

#include "proxy/engine/autobrowse/bookmark_info.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTimer;

namespace ql {

class TBookmarkNode;
class TInfoForm;

// The Bookmark Properties dialog (TNodePropForm): edits one node of the bookmark tree, its
// title, URL, comments and the Autobrowse schedule and limits of its TBMInfo; for a folder
// these are the defaults that bookmarks placed in it copy. It works on a working copy of the
// record and writes back only on OK: the copy's settings (TBMInfo::Copy), the scheduled mark,
// the texts the user edited and the other controls. An Autobrowse run that changed the record
// while the dialog was open keeps its generation, last visit and (unless the user changed the
// schedule) next date. OK is refused while Autobrowse fetches the bookmark (LockTimer
// re-tests every 4 s) and until the limits are valid. The caller saves the tree after OK.
//
// Controls carry their names as object names (NameEdit, URLEdit, EnabledCheckBox, RefreshFCB,
// DaysFCB, WeeksFCB, DayOfWeekFCB, DepthCBox, OutsideDomainCB, ProcessNextTimeCB,
// NextSchedEdit, CommentsMemo, LastCompEdit, InfoButton, Label12, MaxFileSizeEdit, DirMoveCB,
// TimeLimitEdit, SizeLimitEdit, DownloadImagesCB, DownloadJavaCB, DownLoadEmbedCB, UsernameCB,
// UsernameEdit, PasswordEdit, KillMemo, LockedPanel, OKButton). Created once at start-up.
class TNodePropForm : public QDialog {
public:
  explicit TNodePropForm(QWidget *parent = nullptr);

  void SetInfoForm(TInfoForm *info) { info_ = info; }
  // Today's date and time; Now() unless a test replaces it.
  void SetClock(std::function<TDateTime()> clock) { clock_ = std::move(clock); }

  void ClearFields();
  // Fills the dialog for a node; adding: the node is new, its next date is worked out.
  void SetBookmark(TBookmarkNode *node, bool adding);
  void OKButtonClick();
  bool ValidateLimits();
  // Works the next date out of the controls into the working copy (kept while filling for an
  // existing bookmark) and shows it unless get-next is on.
  void CalcNextRefresh();
  void InfoButtonClick();
  void LockTimerTimer();

  const TBMInfo &WorkingCopy() const { return working_; }
  bool Locked() const { return locked_; }

protected:
  void showEvent(QShowEvent *event) override;
  void done(int result) override;

private:
  void BuildWidgets();
  QWidget *BuildPropertiesPage();
  QWidget *BuildAdvancedPage();
  void Connect();
  void SetLocked(bool locked);
  void UpdateOk();
  void EnableSchedule();
  void EnableCredentials();
  void ShowNextDate();
  QString NextDateText() const;
  void ShowFrequencyPage();
  // A copy of the working record with the controls' settings: what OK would store.
  TBMInfo FromControls() const;
  void Refuse(const QString &text, QWidget *field);
  TDateTime Today() const;

  TInfoForm *info_ = nullptr;
  std::function<TDateTime()> clock_;
  TBMInfo working_{0.0};
  TBookmarkNode *node_ = nullptr;
  // The next date the record held when the dialog was filled, to tell an Autobrowse run's change.
  TDateTime nextAtFill_ = 0;
  bool filling_ = false;
  bool adding_ = false;
  bool folder_ = false;
  bool locked_ = false;
  bool titleEdited_ = false, urlEdited_ = false, userEdited_ = false, passwordEdited_ = false;
  bool commentsEdited_ = false, wordsEdited_ = false;

  QTabWidget *pages_ = nullptr;
  QLineEdit *nameEdit_ = nullptr, *urlEdit_ = nullptr, *nextSchedEdit_ = nullptr, *lastCompEdit_ = nullptr;
  QCheckBox *enabledCheckBox_ = nullptr, *outsideDomainCB_ = nullptr, *processNextTimeCB_ = nullptr;
  QComboBox *refreshFCB_ = nullptr, *daysFCB_ = nullptr, *weeksFCB_ = nullptr, *dayOfWeekFCB_ = nullptr;
  QComboBox *depthCBox_ = nullptr, *dirMoveCB_ = nullptr;
  QStackedWidget *frequency_ = nullptr;
  QLabel *retrieveEvery_ = nullptr, *depthLabel_ = nullptr, *label12_ = nullptr, *lockedPanel_ = nullptr;
  QPlainTextEdit *commentsMemo_ = nullptr, *killMemo_ = nullptr;
  QLineEdit *maxFileSizeEdit_ = nullptr, *timeLimitEdit_ = nullptr, *sizeLimitEdit_ = nullptr;
  QCheckBox *downloadImagesCB_ = nullptr, *downloadJavaCB_ = nullptr, *downLoadEmbedCB_ = nullptr;
  QCheckBox *usernameCB_ = nullptr;
  QLabel *usernameLabel_ = nullptr, *passwordLabel_ = nullptr;
  QLineEdit *usernameEdit_ = nullptr, *passwordEdit_ = nullptr;
  QPushButton *okButton_ = nullptr;
  QTimer *lockTimer_ = nullptr;
};

} // namespace ql
