#include "library/core/progress_window.h"

#include "library/runtime/language/format.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/placement.h"

#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace vx {

namespace {

int &BatchBudgetMs() {
  static int ms = 8;
  return ms;
}

ProgressWindow::Observer &TheObserver() {
  static ProgressWindow::Observer observer;
  return observer;
}

WindowSpec Spec() {
  WindowSpec spec(QStringLiteral("Progress..."), WindowKind::Dialog, QRect(0, 0, 142, 59));
  spec.resizable = false;
  spec.maximizeBox = false;
  return spec;
}

} // namespace

ProgressWindow::ProgressWindow() : window_(Spec()) {
  window_.Add<ProgressControl>(kBar, QRect(15, 15, 111, 12), 0, 100);
  window_.Add<LabelControl>(kHeading, QString(), QRect(0, 3, 141, 10), false);
  window_.Add<LabelControl>(kPercentText, QString(), QRect(0, 30, 141, 10), false);
  window_.Add<ButtonControl>(kCancel, QStringLiteral("Cancel"), QRect(45, 42, 50, 15));
  for (int text : {kHeading, kPercentText}) {
    if (auto *label = dynamic_cast<QLabel *>(window_.Find(text)->Widget()))
      label->setAlignment(Qt::AlignCenter);
  }
}

ProgressWindow::~ProgressWindow() {
  Close();
}

void ProgressWindow::Open(const QString &caption, const QString &heading) {
  window_.Open();
  SetTitle(caption);
  // Over the frame, also when a window of the procedure's thread lies below it.
  const Window *frame = Window::Frame();
  CentreOver(window_.Outer(), frame ? frame->Outer() : nullptr);
  shown_ = 0;
  window_.Get<ProgressControl>(kBar).SetProgressValue(0);
  window_.Get<LabelControl>(kPercentText).SetText(PercentText(0));
  window_.Get<LabelControl>(kHeading).SetText(heading);
  window_.SetTimer(1);
}

void ProgressWindow::Close() {
  window_.Close();
}

void ProgressWindow::SetTexts(const QString &caption, const QString &heading) {
  SetTitle(caption);
  window_.Get<LabelControl>(kHeading).SetText(heading);
}

void ProgressWindow::SetTitle(const QString &caption) {
  window_.SetTitle(caption);
  // The texts span the window, which its caption may have widened.
  for (int text : {kHeading, kPercentText}) {
    QWidget *widget = window_.Find(text)->Widget();
    widget->setGeometry(0, widget->y(), window_.ClientArea()->width(), widget->height());
  }
}

int ProgressWindow::PercentOf(qint64 done, qint64 total) {
  if (total <= 0)
    return 100;
  return int(std::clamp<qint64>(done, 0, total) * 100 / total);
}

QString ProgressWindow::PercentText(int percent) {
  return FORMAT(percent, QStringLiteral("N3")) + QStringLiteral("% Completed");
}

bool ProgressWindow::Show(int percent, const QString &text) {
  percent = std::clamp(percent, 0, 100);
  if (percent == shown_)
    return false;
  shown_ = percent;
  window_.Get<ProgressControl>(kBar).SetProgressValue(percent);
  window_.Get<LabelControl>(kPercentText).SetText(text);
  if (TheObserver())
    TheObserver()(window_.Title(), percent, text);
  return true;
}

void ProgressWindow::ShowText(const QString &text) {
  LabelControl &line = window_.Get<LabelControl>(kPercentText);
  if (line.Text() == text)
    return;
  line.SetText(text);
  if (TheObserver())
    TheObserver()(window_.Title(), shown_, text);
}

void ProgressWindow::StartBatch(int minimum) {
  minimum_ = std::max(1, minimum);
  batch_.start();
}

bool ProgressWindow::BatchGoesOn(int done) const {
  return done < minimum_ || batch_.elapsed() < BatchBudgetMs();
}

int ProgressWindow::SetBatchBudgetMs(int ms) {
  return std::exchange(BatchBudgetMs(), std::max(0, ms));
}

ProgressWindow::Observer ProgressWindow::SetObserver(Observer observer) {
  return std::exchange(TheObserver(), std::move(observer));
}

} // namespace vx
