#include "proxy/platform/message_window.h"
#include "proxy/platform/timer.h"
#include "proxy/platform/timer_scale.h"
#include "support/recording_window.h"

#include <QEventLoop>
#include <QString>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace ql::test {
namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kSecond = WM_USER + 2;
constexpr UINT kThird = WM_USER + 3;

QStringList g_warnings;

void CaptureWarnings(QtMsgType type, const QMessageLogContext &, const QString &text) {
  if (type == QtWarningMsg) {
    g_warnings.append(text);
  }
}

TEST(MessageWindow, PostedMessagesArriveInOrderAndNeverDuringThePost) {
  RecordingWindow window;
  for (UINT i = 0; i < 50; ++i) {
    window.PostMessage(WM_USER + i, i, -static_cast<LPARAM>(i));
  }
  EXPECT_TRUE(window.received.empty());
  ASSERT_TRUE(SpinUntil([&] { return window.received.size() == 50; }));
  for (UINT i = 0; i < 50; ++i) {
    EXPECT_EQ(window.received[i].msg, WM_USER + i);
    EXPECT_EQ(window.received[i].wParam, i);
    EXPECT_EQ(window.received[i].lParam, -static_cast<LPARAM>(i));
  }

  MessageWindow plain; // only the default handler, which ignores everything
  plain.PostMessage(kFirst, 1, 2);
  window.PostMessage(kSecond, 0, 0);
  EXPECT_TRUE(SpinUntil([&] { return window.received.size() == 51; }));
}

TEST(MessageWindow, AHandlerThatLetsEventsRunIsNeverEnteredAgain) {
  RecordingWindow window;
  RecordingWindow other;
  int depth = 0;
  int deepest = 0;
  auto handler = [&](const Received &r) {
    EXPECT_TRUE(message_queue::InDispatch());
    ++depth;
    deepest = std::max(deepest, depth);
    if (r.msg == kFirst) {
      window.PostMessage(kSecond, 0, 0);
      other.PostMessage(kThird, 0, 0);
      ProcessMessages();
      QEventLoop modal; // what a modal dialog runs
      QTimer::singleShot(20, &modal, &QEventLoop::quit);
      modal.exec();
      EXPECT_EQ(window.received.size(), 1u);
      EXPECT_TRUE(other.received.empty());
    }
    --depth;
  };
  window.onMessage = handler;
  other.onMessage = handler;
  window.PostMessage(kFirst, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return window.received.size() == 2 && other.received.size() == 1; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_FALSE(message_queue::InDispatch());
  EXPECT_EQ(window.received[1].msg, kSecond);
}

TEST(MessageWindow, MessagesFlowWhileAModalLoopOrALongOperationRunsOutsideAHandler) {
  RecordingWindow window;
  window.SetTimer(5, 2);
  QEventLoop modal;
  window.onMessage = [&](const Received &r) {
    if (r.msg == WM_TIMER && window.Matching(WM_TIMER, 5).size() == 3) {
      modal.quit();
    }
  };
  modal.exec();
  EXPECT_GE(window.Matching(WM_TIMER, 5).size(), 3u);

  window.PostMessage(kFirst, 0, 0);
  for (int item = 0; item < 1000 && window.Matching(kFirst, 0).empty(); ++item) {
    QTest::qSleep(1);
    ProcessMessages(); // what a long operation does every few items
  }
  EXPECT_EQ(window.Matching(kFirst, 0).size(), 1u);
}

TEST(MessageWindow, ATaskRunOutsideDispatchKeepsMessagesFlowingUnderItsModalLoop) {
  RecordingWindow window;
  bool taskSawMessage = false;
  window.onMessage = [&](const Received &r) {
    if (r.msg != kFirst) {
      return;
    }
    RunOutsideDispatch([&] {
      window.PostMessage(kSecond, 0, 0);
      QEventLoop modal;
      QTimer::singleShot(2000, &modal, &QEventLoop::quit);
      window.onMessage = [&](const Received &inner) {
        if (inner.msg == kSecond) {
          taskSawMessage = true;
          modal.quit();
        }
      };
      modal.exec();
    });
  };
  window.PostMessage(kFirst, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return taskSawMessage; }));
}

TEST(MessageWindow, ExceptionsAreLoggedAndDispatchGoesOn) {
  RecordingWindow window;
  window.onMessage = [](const Received &r) {
    if (r.msg == kFirst) {
      throw std::runtime_error("broken handler");
    }
    if (r.msg == kSecond) {
      throw 42;
    }
  };
  g_warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(CaptureWarnings);
  window.PostMessage(kFirst, 0, 0);
  window.PostMessage(kSecond, 0, 0);
  window.PostMessage(kThird, 0, 0);
  const bool all = SpinUntil([&] { return window.received.size() == 3; });
  qInstallMessageHandler(previous);
  ASSERT_TRUE(all);
  ASSERT_EQ(g_warnings.size(), 2);
  EXPECT_TRUE(g_warnings[0].contains("broken handler"));
  EXPECT_TRUE(g_warnings[1].contains("unknown exception"));
}

TEST(WindowTimer, TicksCarryTheIdUntilKilledAndKillingTwiceIsHarmless) {
  RecordingWindow window;
  ASSERT_TRUE(window.SetTimer(7, 5));
  ASSERT_TRUE(SpinUntil([&] { return window.Matching(WM_TIMER, 7).size() >= 3; }));
  EXPECT_TRUE(window.KillTimer(7));
  EXPECT_FALSE(window.KillTimer(7));
  const std::size_t ticks = window.received.size();
  SpinFor(30);
  EXPECT_EQ(window.received.size(), ticks);
}

TEST(WindowTimer, SettingARunningIdReplacesThatTimer) {
  RecordingWindow window;
  window.SetTimer(3, 100000);
  window.SetTimer(3, 5);
  ASSERT_TRUE(SpinUntil([&] { return window.Matching(WM_TIMER, 3).size() >= 2; }));
  window.SetTimer(3, 100000); // the fast timer is gone: no more ticks
  const std::size_t ticks = window.received.size();
  SpinFor(40);
  EXPECT_EQ(window.received.size(), ticks);
  EXPECT_TRUE(window.TimerRunning(3));
}

TEST(WindowTimer, AQueuedTickIsWithdrawnByKillTimerAndTicksDoNotPileUp) {
  RecordingWindow window;
  window.onMessage = [&](const Received &r) {
    if (r.msg == kFirst) {
      window.SetTimer(1, 1);
      window.SetTimer(2, 1);
      SpinFor(30); // both timers fire many times while this handler runs
      window.KillTimer(1);
    }
    if (r.msg == WM_TIMER && r.wParam == 2) {
      window.KillTimer(2);
    }
  };
  window.PostMessage(kFirst, 0, 0);
  window.PostMessage(kSecond, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.Matching(kSecond, 0).empty(); }));
  SpinFor(20);
  EXPECT_TRUE(window.Matching(WM_TIMER, 1).empty());
  EXPECT_EQ(window.Matching(WM_TIMER, 2).size(), 1u);
}

TEST(WindowTimer, TheScaleShortensLongTimersForTests) {
  EXPECT_EQ(ScaledInterval(60000), 60000);
  SetTimerScale(0.001);
  EXPECT_EQ(ScaledInterval(60000), 60);
  EXPECT_EQ(ScaledInterval(110), 1);
  SetTimerScale(0.0); // ignored
  EXPECT_DOUBLE_EQ(TimerScale(), 0.001);
  RecordingWindow window;
  window.SetTimer(9, 60000);
  const bool ticked = SpinUntil([&] { return !window.Matching(WM_TIMER, 9).empty(); }, 3000);
  SetTimerScale(1.0);
  EXPECT_TRUE(ticked);
}

TEST(WindowTimer, DestroyingTheWindowDropsItsQueuedMessagesAndTimers) {
  RecordingWindow survivor;
  int deadWindowMessages = 0;
  {
    auto doomed = std::make_unique<RecordingWindow>();
    doomed->onMessage = [&](const Received &) { ++deadWindowMessages; };
    doomed->SetTimer(1, 1);
    doomed->PostMessage(kFirst, 0, 0);
    survivor.PostMessage(kSecond, 0, 0);
    doomed.reset();
  }
  ASSERT_TRUE(SpinUntil([&] { return !survivor.received.empty(); }));
  SpinFor(20);
  EXPECT_EQ(deadWindowMessages, 0);
}

TEST(PlainTimer, TicksWhileEnabledAndAQueuedTickIsWithdrawnWhenDisabled) {
  int ticks = 0;
  Timer timer([&] { ++ticks; }, 2);
  SpinFor(20);
  EXPECT_EQ(ticks, 0); // created disabled
  timer.SetEnabled(true);
  ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));

  RecordingWindow window;
  window.onMessage = [&](const Received &) {
    SpinFor(20); // the timer fires while this handler runs; its tick waits in the queue
    timer.SetEnabled(false);
  };
  window.PostMessage(kFirst, 0, 0);
  ASSERT_TRUE(SpinUntil([&] { return !window.received.empty(); }));
  const int before = ticks;
  SpinFor(20);
  EXPECT_EQ(ticks, before);

  timer.SetInterval(0);
  timer.SetEnabled(true);
  SpinFor(20);
  EXPECT_EQ(ticks, before);
}

TEST(PlainTimer, ATickNeverRunsInsideAWindowHandlerAndItsExceptionsAreCaught) {
  RecordingWindow window;
  bool inHandler = false;
  bool tickInsideHandler = false;
  int ticks = 0;
  Timer timer(
      [&] {
        tickInsideHandler = tickInsideHandler || inHandler;
        ++ticks;
        throw std::runtime_error("tick failed");
      },
      1, true);
  window.onMessage = [&](const Received &) {
    inHandler = true;
    SpinFor(20);
    inHandler = false;
  };
  const QtMessageHandler previous = qInstallMessageHandler(CaptureWarnings);
  window.PostMessage(kFirst, 0, 0);
  const bool ticked = SpinUntil([&] { return !window.received.empty() && ticks >= 3; });
  qInstallMessageHandler(previous);
  EXPECT_TRUE(ticked);
  EXPECT_FALSE(tickInsideHandler);
}

} // namespace
} // namespace ql::test
