#pragma once

#include "proxy/engine/cache/list_progress.h"

#include <QFrame>

class QLabel;
class QProgressBar;

namespace ql {

// The panel a window shows over itself while a long operation runs: a caption, and below it a
// label and a progress bar (0 to 100), which can be hidden. It centres itself on its parent
// when shown. Owned by its parent window.
class TProgressPanel : public QFrame {
public:
  explicit TProgressPanel(QWidget *parent);

  // Shows the panel with the caption, centred and painted at once.
  void ShowCaption(const QString &caption);
  // Shows or hides the label and the bar under the caption.
  void ShowProgressLine(bool shown);
  void SetLabel(const QString &text);
  void SetPercent(int percent);
  QString Caption() const;

private:
  QLabel *caption_;
  QLabel *label_;
  QProgressBar *bar_;
};

// The progress of a long walk shown on a panel: each step moves the bar and lets window
// messages run; the walk stops once the go-on flag is cleared.
class TPanelListProgress : public TListProgress {
public:
  explicit TPanelListProgress(TProgressPanel &panel) : panel_(panel) {}
  bool ShowProgress(int percent) override;

private:
  TProgressPanel &panel_;
};

} // namespace ql
