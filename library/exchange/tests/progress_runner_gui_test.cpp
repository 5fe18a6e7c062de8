// The program's progress runner: a process driven in the real progress window.

#include "library/core/progress_window.h"
#include "library/exchange/progress_runner.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"
#include "support/print_qstring.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QWidget>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

// How a process was driven.
struct Driven {
  int steps = 0;
  int stepsInOneTick = 0; // Steps that followed another in the same timer tick
  int finishes = 0;
  bool cancelled = false;
};

// A process of `limit` Steps that records how it is driven. Each Step queues a turn of the
// event loop, so that Steps run in one timer tick see the same count of turns.
class CountingProcess : public BatchProcess {
public:
  CountingProcess(BatchProgress &progress, int limit, Driven &driven)
      : progress_(progress), limit_(limit), driven_(driven) {
    progress_.ShowTexts("Processing Records", "Counting");
    progress_.ShowPercent(0, "0% Completed");
  }

  bool Step() override {
    EXPECT_EQ(driven_.finishes, 0) << "a Step after Finish";
    if (driven_.steps > 0 && *turns_ == turnsAtLastStep_)
      ++driven_.stepsInOneTick;
    turnsAtLastStep_ = *turns_;
    QMetaObject::invokeMethod(
        qApp, [turns = turns_] { ++*turns; }, Qt::QueuedConnection);
    if (++driven_.steps == limit_)
      progress_.ShowPercent(100, "Process Completed");
    return driven_.steps < limit_;
  }
  int Finish() override {
    ++driven_.finishes;
    driven_.cancelled = progress_.CancelPressed();
    return driven_.steps == limit_ ? 1 : 2;
  }

private:
  BatchProgress &progress_;
  int limit_;
  Driven &driven_;
  std::shared_ptr<int> turns_ = std::make_shared<int>(0);
  int turnsAtLastStep_ = -1;
};

class ProgressRunnerTest : public FormTest {
protected:
  ~ProgressRunnerTest() override {
    ProgressWindow::SetBatchBudgetMs(budget_);
    ProgressWindow::SetObserver(std::move(observer_));
  }

  // Runs a process of `limit` Steps in the window; `script` is given the window once the
  // process has made its first Step.
  int Run(int limit, const std::function<void(Window &)> &script = {}) {
    int response = 0;
    RunWithScript(
        [&] {
          response = RunInProgressWindow([&](BatchProgress &progress) {
            return std::make_unique<CountingProcess>(progress, limit, driven_);
          });
        },
        [&](int thread) {
          Window &window = WaitForWindow(thread, "Processing Records");
          if (script) {
            WaitFor([&] { return driven_.steps > 0; });
            script(window);
          }
          WaitForEnd(thread);
        });
    return response;
  }

  const int budget_ = ProgressWindow::SetBatchBudgetMs(0);
  QStringList lines_;
  ProgressWindow::Observer observer_ =
      ProgressWindow::SetObserver([this](const QString &caption, int percent, const QString &text) {
        lines_ << QStringLiteral("%1 %2 %3").arg(caption).arg(percent).arg(text);
      });
  Driven driven_;
};

TEST_F(ProgressRunnerTest, StepsToTheEndThenFinishesOnceAndShowsTheProcesssTexts) {
  EXPECT_EQ(Run(5), 1);
  EXPECT_EQ(driven_.steps, 5);
  EXPECT_EQ(driven_.finishes, 1);
  EXPECT_FALSE(driven_.cancelled);
  EXPECT_EQ(driven_.stepsInOneTick, 0); // a budget of 0: one Step a tick
  EXPECT_EQ(lines_,
            QStringList({"Processing Records 0 0% Completed", "Processing Records 100 Process Completed"}));
}

// With the time to spare, one tick runs Step after Step: 25 sites a Step would otherwise
// take 40 s over 100,000 sites.
TEST_F(ProgressRunnerTest, ATickRunsStepsWhileItsBudgetLasts) {
  ProgressWindow::SetBatchBudgetMs(60000);
  EXPECT_EQ(Run(200), 1);
  EXPECT_EQ(driven_.steps, 200);
  EXPECT_EQ(driven_.stepsInOneTick, 199);
}

TEST_F(ProgressRunnerTest, CancelEndsTheStepsAndFinishSeesIt) {
  EXPECT_EQ(Run(1000000, [](Window &window) { window.Get<ButtonControl>(ProgressWindow::kCancel).Press(); }),
            2);
  EXPECT_LT(driven_.steps, 1000000);
  EXPECT_EQ(driven_.finishes, 1);
  EXPECT_TRUE(driven_.cancelled);
}

// A window manager draws the caption in its title bar beside the window's icon and buttons:
// the window is wide enough for "Processing Records" whole there, in bold, with room for
// an icon and three buttons of a title bar's height, and its bar and Cancel button stay in
// its middle.
TEST_F(ProgressRunnerTest, TheWindowIsAsWideAsItsCaptionNeeds) {
  int width = 0, needed = 0, cancelLeft = 0, cancelRight = 0, barLeft = 0, barRight = 0;
  Run(1000000, [&](Window &window) {
    QWidget *outer = window.Outer();
    QFont bold = outer->font();
    bold.setBold(true);
    width = outer->width();
    needed = QFontMetrics(bold).horizontalAdvance(window.Title()) +
             4 * outer->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, outer);
    const QRect cancel = window.Find(ProgressWindow::kCancel)->Widget()->geometry();
    const QRect bar = window.Find(ProgressWindow::kBar)->Widget()->geometry();
    cancelLeft = cancel.left();
    cancelRight = width - 1 - cancel.right();
    barLeft = bar.left();
    barRight = width - 1 - bar.right();
    window.Get<ButtonControl>(ProgressWindow::kCancel).Press();
  });
  EXPECT_GE(width, needed);
  EXPECT_NEAR(cancelLeft, cancelRight, 6);
  EXPECT_NEAR(barLeft, barRight, 6);
}

} // namespace
} // namespace vx::test
