#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/qt_dialogs.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/thread_store.h"
#include "library/runtime/windows/window.h"
#include "support/run_threads.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx {
namespace {

// A procedure's window whose timer counts its ticks until the window is closed.
struct TickingWindow {
  explicit TickingWindow(const QString &title)
      : window(WindowSpec{title, WindowKind::Dialog, QRect(0, 0, 100, 50)}) {}
  Window window;
  int ticks = 0;
};

TEST(Threads, EachTimerRunsWhileTheOtherThreadShowsAMessage) {
  int ticksA = 0, ticksB = 0;
  int messagesShown = 0;
  // The scripted message box waits, as a real one does, while the main loop goes on: it
  // answers once the other thread's timer has ticked three more times.
  test::ScriptedDialogs dialogs([&](const MessageRequest &request) {
    ++messagesShown;
    int &other = request.caption == "A" ? ticksB : ticksA;
    const int start = other;
    test::WaitFor([&] { return other >= start + 3; });
    return BUTTON_OK;
  });
  bool aAsked = false;
  auto procedure = [&](const QString &name, int &ticks, bool waitForA) {
    return [&, name, waitForA] {
      Window window(WindowSpec{name, WindowKind::Dialog, QRect(0, 0, 100, 50)});
      window.Open();
      window.SetTimer(1);
      bool asked = false;
      while (window.Accept()) {
        if (window.CurrentEvent().kind != EventKind::Timer)
          continue;
        ++ticks;
        if (!asked && (!waitForA || aAsked) && ticks >= 2) {
          asked = true;
          EXPECT_EQ(BUTTON_OK, MESSAGE("tick", name));
          if (!waitForA)
            aAsked = true;
        }
        if (asked && ticks >= 12)
          window.Post(EventKind::CloseWindow);
      }
    };
  };
  START(procedure("A", ticksA, false), 25000);
  START(procedure("B", ticksB, true), 25000);
  test::RunAllThreads();
  EXPECT_EQ(2, messagesShown);
  EXPECT_GE(ticksA, 12);
  EXPECT_GE(ticksB, 12);
}

TEST(Threads, RealMessageBoxWaitsWithoutStoppingOtherTimers) {
  test::ScriptedDialogs restore(nullptr);
  InstallQtDialogs();
  int ticks = 0;
  int answer = 0;
  START(
      [&] { answer = MESSAGE("Save changes?", "Question", MessageIcon::Question, BUTTON_YES | BUTTON_NO); });
  START([&] {
    Window window(WindowSpec{"timer", WindowKind::Dialog, QRect(0, 0, 100, 50)});
    window.Open();
    window.SetTimer(1);
    while (window.Accept()) {
      if (window.CurrentEvent().kind == EventKind::Timer && ++ticks == 5) {
        // The message box is still up: press its Yes button as the user would.
        for (QWidget *widget : QApplication::topLevelWidgets()) {
          if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            box->button(QMessageBox::Yes)->click();
        }
        window.Post(EventKind::CloseWindow);
      }
    }
  });
  test::RunAllThreads();
  EXPECT_EQ(5, ticks);
  EXPECT_EQ(BUTTON_YES, answer);
}

TEST(Threads, NumbersAreNeverReusedAndPostToAnEndedThreadIsHarmless) {
  const int first = START([] {});
  test::RunAllThreads();
  EXPECT_FALSE(scheduler::IsAlive(first));
  POST(EventKind::Accepted, 0, first); // must do nothing
  const int second = START([] {});
  EXPECT_GT(second, first);
  test::RunAllThreads();
  EXPECT_EQ(nullptr, Window::ActiveOf(first));
}

// Stands for a file's record buffer: each STARTed procedure has its own.
struct SiteBuffer {
  QString location;
};

void FormThatEditsTheBuffer(const QString &location) {
  PerThread<SiteBuffer>().location = location;
}

TEST(Threads, RecordBuffersArePerStartedProcedureAndSharedWithDirectCalls) {
  QString seenByA, seenByB, afterDirectCall;
  bool bLoaded = false;
  test::ScriptedDialogs dialogs([&](const MessageRequest &) {
    // While A's user thinks about the question, B loads another record.
    test::WaitFor([&] { return bLoaded; });
    return BUTTON_YES;
  });
  START([&] {
    PerThread<SiteBuffer>().location = "http://a.example/";
    if (MESSAGE("Delete this record?", "", MessageIcon::Question, BUTTON_YES | BUTTON_NO) == BUTTON_YES)
      seenByA = PerThread<SiteBuffer>().location; // the record A would delete
    FormThatEditsTheBuffer("http://a.example/changed");
    afterDirectCall = PerThread<SiteBuffer>().location;
  });
  START([&] {
    PerThread<SiteBuffer>().location = "http://b.example/";
    bLoaded = true;
    seenByB = PerThread<SiteBuffer>().location;
  });
  test::RunAllThreads();
  EXPECT_EQ("http://a.example/", seenByA);
  EXPECT_EQ("http://b.example/", seenByB);
  EXPECT_EQ("http://a.example/changed", afterDirectCall);
}

struct Halt {
  int code;
};

TEST(Threads, AnEscapingHaltUnwindsEveryThreadToTheMainStack) {
  int destroyed = 0;
  struct Guard {
    int &count;
    ~Guard() { ++count; }
  };
  START([&] {
    Guard guard{destroyed};
    Window window(WindowSpec{"waits", WindowKind::Dialog, QRect(0, 0, 100, 50)});
    window.Open();
    while (window.Accept()) {
    }
  });
  START([&] {
    Guard guard{destroyed};
    Window window(WindowSpec{"halts", WindowKind::Dialog, QRect(0, 0, 100, 50)});
    window.Open();
    while (window.Accept()) {
      if (window.CurrentEvent().kind == EventKind::OpenWindow)
        throw Halt{3};
    }
  });
  try {
    scheduler::RunUntilAllEnded();
    ADD_FAILURE() << "the halt did not reach the main stack";
  } catch (const Halt &halt) {
    EXPECT_EQ(3, halt.code);
  }
  EXPECT_EQ(2, destroyed);
  EXPECT_TRUE(scheduler::LiveThreads().empty());
}

TEST(Threads, DirectCallOpensAModalWindowOnTheCallersThread) {
  bool callerEnabledDuringCall = true;
  int calleeThread = -1, callerThread = -2;
  START([&] {
    Window caller(WindowSpec{"caller", WindowKind::Dialog, QRect(0, 0, 100, 50)});
    caller.Open();
    callerThread = THREAD();
    while (caller.Accept()) {
      if (caller.CurrentEvent().kind != EventKind::OpenWindow)
        continue;
      {
        Window callee(WindowSpec{"callee", WindowKind::Dialog, QRect(0, 0, 100, 50)});
        callee.Open();
        calleeThread = THREAD();
        callerEnabledDuringCall = caller.Outer()->isEnabled();
        EXPECT_EQ(&callee, ActiveWindow());
        POST(EventKind::CloseWindow);
        while (callee.Accept()) {
        }
      }
      EXPECT_TRUE(caller.Outer()->isEnabled());
      caller.Post(EventKind::CloseWindow);
    }
  });
  test::RunAllThreads();
  EXPECT_EQ(callerThread, calleeThread);
  EXPECT_FALSE(callerEnabledDuringCall);
}

} // namespace
} // namespace vx
