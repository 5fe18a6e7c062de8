#pragma once

#include "proxy/engine/autobrowse/autobrowse_view.h"
#include "proxy/windows/setup/restrict_file.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;
class QListWidget;
class QTabWidget;
class QToolButton;

namespace ql {

class TAutobrowseSession;
class TBMInfo;
class TBookmarkTree;
class TProxyRoad;
class TRegIniFile;
class Timer;

// The Autobrowse Control window, "Autobrowse Control": starts, pauses, skips and stops the
// engine's Autobrowse session and shows what it does. Its "&Outbasket" page lists the due
// bookmarks of the bookmark tree (the session's tree), each drawn with its mark (held, being
// fetched, waiting), where selected ones are held back or released; its "Pro&gress" page holds
// the session log and the counters of the bookmark being fetched.
//
// It is the session's view (TAutobrowseView) and its exclusion lines (TExclusionLines, the
// lines of restrict.dat, loaded at creation and again by LoadExclusionLines): creation links
// it into the road, destruction unlinks it, stopping a session that still runs. A stale check
// every 5000 ms refills the out-basket when the out-basket stale mark is set. When the program
// was started with "/a" (AutoBrowseAtStart), a 60000 ms timer starts a session on its third
// tick unless one runs already, and the session's end ends the program (SetProgramEnd); a Stop
// by the user keeps the program running. Closing the window hides it; a session goes on.
// Placement is restored at creation and saved at destruction. The settings store and the road
// must outlive it. GUI thread only.
class TAutoProgressForm : public QWidget, public TAutobrowseView, public TExclusionLines {
public:
  static constexpr unsigned kStaleCheckMs = 5000;
  static constexpr unsigned kAutoStartMs = 60000;
  static constexpr int kAutoStartTicks = 3;

  TAutoProgressForm(TRegIniFile &settings, TProxyRoad &road, TRestrictFile restrict = TRestrictFile(),
                    QWidget *parent = nullptr);
  ~TAutoProgressForm() override;

  // What ends the program after a session started with "/a" ends by itself.
  void SetProgramEnd(std::function<void()> end) { programEnd_ = std::move(end); }
  // Reads restrict.dat again (after Setup wrote it).
  void LoadExclusionLines();

  // TAutobrowseView
  void AddAutoNote(const QString &line) override;
  void FillOutbasket() override;
  void ShowCounters(const TAutobrowseCounters &counters) override;
  void EnableSkip() override;
  void SessionEnded() override;
  // TExclusionLines
  QList<QByteArray> ExclusionLines() const override { return exclusionLines_; }

  // The handlers of the buttons, the out-basket and the timers.
  void StartStopButtonClick();
  void PauseButtonClick();
  void SkipButtonClick();
  void CloseButtonClick();
  void OutbasketLBDblClick();
  void OutbasketLBKeyUp();
  void SpeedButton2Click(); // Hold
  void SpeedButton3Click(); // Release
  void SpeedButton4Click(); // All
  void Timer1Timer();
  void AutoStartAutoBrowseTimerTimer();

  // What the window shows, for tests and pictures.
  QStringList LogLines() const;
  QListWidget *Outbasket() const { return outbasket_; }
  QTabWidget *Pages() const { return pages_; }
  QToolButton *StartButton() const { return startStop_; }
  QToolButton *PauseButton() const { return pause_; }
  QToolButton *SkipButton() const { return skip_; }
  QString Hint(const QAbstractButton *button) const;
  QString TransferRate() const;
  QString CounterText(int row) const; // 0 queued/received, 1 data, 2 duration
  QString UrlPanelText() const;
  bool AutoStartRunning() const;
  // The bookmark of an out-basket line, or null when it left the tree.
  TBMInfo *LineBookmark(int row) const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void BuildWidgets();
  QToolButton *AddButton(QWidget *parent, const QString &hint, bool checkable);
  void SetHint(QAbstractButton *button, const QString &hint);
  void Start();
  void ResetButtons();
  void ClearCounters();
  int FirstSelectedRow() const;
  void SetHeldOfSelected(bool held);
  TBookmarkTree &Tree() const;

  TRegIniFile &settings_;
  TProxyRoad &road_;
  TAutobrowseSession &session_;
  TRestrictFile restrict_;
  QList<QByteArray> exclusionLines_;
  std::function<void()> programEnd_;

  QTabWidget *pages_ = nullptr;
  QListWidget *outbasket_ = nullptr;
  QLabel *urlPanel_ = nullptr;
  QListWidget *autoNote_ = nullptr;
  QLabel *label1_ = nullptr;
  QLabel *values_[3] = {};
  QToolButton *startStop_ = nullptr;
  QToolButton *skip_ = nullptr;
  QToolButton *pause_ = nullptr;
  QToolButton *close_ = nullptr;
  QToolButton *hold_ = nullptr;
  QToolButton *release_ = nullptr;
  QToolButton *all_ = nullptr;

  std::unique_ptr<Timer> staleTimer_;
  std::unique_ptr<Timer> autoStartTimer_;
  int autoStartTicks_ = 0;
};

} // namespace ql
