#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/halt.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Sets up a run of the program: temporary settings and working folder, the program's
// procedures, a message handler that counts, and a stand-in for the Locations browse.
class ProgramRun : public ::testing::Test {
protected:
  void SetUp() override {
    ResetGlobals();
    RegisterProgramProcedures();
    previousHandler_ = SetMessageHandler([this](const MessageRequest &request) {
      messages_.push_back(request.caption);
      return BUTTON_OK;
    });
  }
  void TearDown() override {
    SetMessageHandler(previousHandler_);
    for (const char *name : {"BrowseVORNIX", "BrowseCategories", "Splash", "About"})
      UnregisterProcedure(name);
  }

  // Registers a Locations browse that opens a child window and counts its ends.
  void RegisterBrowse() {
    RegisterProcedure("BrowseVORNIX", [this] {
      ++browsesStarted_;
      Window window(WindowSpec("Browse Locations", WindowKind::MdiChild, QRect(0, 0, 120, 60)));
      window.Open();
      while (window.Accept()) {
        if (window.CurrentEvent().kind == EventKind::CloseDown)
          ++browsesClosedDown_;
      }
    });
  }

  // Starts a procedure that waits for the frame to be open and then runs `script`.
  void Drive(const std::function<void(Window &)> &script) {
    START([script] {
      test::WaitFor([] { return Window::Frame() && Window::Frame()->IsOpen(); });
      script(*Window::Frame());
    });
  }

  // Runs the program to its end; after 20 s its threads are unwound and the test fails.
  int RunProgram() {
    int code = 0;
    EXPECT_TRUE(test::RunWithin(20000, [&code] { code = ProgramEntry(); })) << "the program did not end";
    return code;
  }

  test::TempSetup setup_;
  MessageHandler previousHandler_;
  std::vector<QString> messages_;
  int browsesStarted_ = 0;
  int browsesClosedDown_ = 0;
};

std::vector<Window *> Children(Window &frame) {
  std::vector<Window *> windows;
  for (QMdiSubWindow *sub : frame.MdiArea()->subWindowList())
    windows.push_back(static_cast<Window *>(sub->property("vxWindow").value<void *>()));
  return windows;
}

Window *Splash(Window &frame) {
  for (Window *window : Children(frame)) {
    if (window->Title().isEmpty())
      return window;
  }
  return nullptr;
}

// The menus as text: one line per entry, "menu > entry | status | enabled".
QStringList DescribeMenu(QMenu *menu, const QString &path) {
  QStringList lines;
  for (QAction *action : menu->actions()) {
    if (action->isSeparator()) {
      lines << path + " > -";
      continue;
    }
    const QString line = path + " > " + action->text() + " | " + action->statusTip();
    if (action->menu()) {
      lines << line;
      lines << DescribeMenu(action->menu(), path + " > " + action->text());
      continue;
    }
    lines << line + (action->isEnabled() ? "" : " | disabled");
  }
  return lines;
}

TEST_F(ProgramRun, FrameHasTheMenusFileBrowseReportsWindowAndHelp) {
  QStringList lines;
  QString title;
  Drive([&](Window &frame) {
    title = frame.Title();
    for (QAction *menu : frame.MainWindow()->menuBar()->actions()) {
      lines << menu->text() + " | " + menu->statusTip();
      lines << DescribeMenu(menu->menu(), menu->text());
    }
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_EQ(0, RunProgram());
  EXPECT_EQ("Vornix", title);
  const QStringList expected = {
      "&File | ",
      "&File > &Import |  | disabled",
      "&File > &Clipboard Monitor | Monitor clipboard for URLs... | disabled",
      "&File > &Export | Export to HTML or  ASCII | disabled",
      "&File > &Merge URL databases | Import from Vornix database in another directory | disabled",
      "&File > -",
      "&File > &Print Setup ... | Setup printer",
      "&File > -",
      "&File > E&xit | Exit this application",
      "&Browse | ",
      "&Browse > &Locations | Browse VORNIX",
      "&Browse > &Categories | Browse Categories",
      "&Reports | Report data",
      "&Reports > Locations | ",
      "&Reports > Locations > Print by Description | Print ordered by Description | disabled",
      "&Reports > Locations > Print by Location | Print ordered by Location key | disabled",
      "&Reports > Locations > Print by Category | Print ordered by Category key | disabled",
      "&Reports > Locations > Print by Rating | Print ordered by Rating key | disabled",
      "&Reports > Locations > Print by Keyword | Print ordered by Keyword key | disabled",
      "&Reports > Categories | Print ordered by Category key | disabled",
      "&Window | Create and Arrange windows",
      "&Window > T&ile | Make all open windows visible",
      "&Window > &Cascade | Stack all open windows",
      "&Window > &Arrange Icons | Align all window icons",
      "&Help | Windows Help",
      "&Help > &Read Me |  | disabled",
      "&Help > &What's New |  | disabled",
      "&Help > -",
      "&Help > &About | About This Program",
  };
  EXPECT_EQ(expected, lines);
}

TEST_F(ProgramRun, StartWritesTheVersionStartsBrowseAndSplashAndAMenuChoiceClosesTheSplash) {
  RegisterBrowse();
  int splashTimer = 0;
  bool splashGoneAfterChoice = false;
  size_t childrenAfterChoice = 0;
  Drive([&](Window &frame) {
    test::WaitFor([&] { return Splash(frame) && Children(frame).size() == 2; });
    splashTimer = Splash(frame)->TimerHundredths();
    frame.Get<MenuItemControl>(kMenuBrowseLocations).Choose();
    test::WaitFor([&] { return !Splash(frame) && Children(frame).size() == 2; });
    splashGoneAfterChoice = true;
    childrenAfterChoice = Children(frame).size();
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_EQ(0, RunProgram());
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ("1.5", GETINI("System", "Version", "", "VORNIX.INI"));
  EXPECT_EQ("1.5b", VersionText);
  EXPECT_EQ("bookmark.htm", ExchangeFileName);
  EXPECT_EQ(300, splashTimer);
  EXPECT_TRUE(splashGoneAfterChoice);
  EXPECT_EQ(2u, childrenAfterChoice); // two Locations browses side by side
  EXPECT_EQ(2, browsesStarted_);
  EXPECT_EQ(2, GlobalResponse);
}

TEST_F(ProgramRun, ClosingTheFrameEndsEveryOpenProcedure) {
  RegisterBrowse();
  Drive([&](Window &frame) {
    frame.Get<MenuItemControl>(kMenuBrowseLocations).Choose();
    frame.Get<MenuItemControl>(kMenuBrowseLocations).Choose();
    test::WaitFor([&] { return browsesStarted_ == 3; });
    frame.Outer()->close(); // the frame's close box
  });
  EXPECT_EQ(0, RunProgram());
  EXPECT_EQ(3, browsesStarted_);
  EXPECT_EQ(3, browsesClosedDown_);
  EXPECT_TRUE(scheduler::LiveThreads().empty());
  EXPECT_EQ("No", GETINI("Main", "Maximize", "", "VORNIX.INI"));
}

TEST_F(ProgramRun, AboutIsModalOnTheFramesThreadAndItsCloseBoxSavesItsPlace) {
  bool menuBlocked = false;
  QString aboutTitle;
  Drive([&](Window &frame) {
    frame.Get<MenuItemControl>(kMenuAbout).Choose();
    test::WaitFor([&] { return Window::ActiveOf(frame.Thread()) != &frame; });
    Window *about = Window::ActiveOf(frame.Thread());
    aboutTitle = about->Title();
    menuBlocked = !frame.MainWindow()->menuBar()->isEnabled();
    about->Outer()->close();
    test::WaitFor([&] { return Window::ActiveOf(frame.Thread()) == &frame; });
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_EQ(0, RunProgram());
  EXPECT_EQ("About", aboutTitle);
  EXPECT_TRUE(menuBlocked);
  EXPECT_EQ("No", GETINI("About", "Maximize", "", "VORNIX.INI"));
  EXPECT_FALSE(GETINI("About", "XPosit", "", "VORNIX.INI").isEmpty());
}

TEST_F(ProgramRun, HaltInAProcedureEndsTheProgramWithItsCode) {
  RegisterProcedure("BrowseVORNIX", [] {
    Window window(WindowSpec("Browse Locations", WindowKind::MdiChild, QRect(0, 0, 120, 60)));
    window.Open();
    while (window.Accept()) {
      if (window.CurrentEvent().kind == EventKind::OpenWindow)
        HALT(5);
    }
  });
  EXPECT_EQ(5, RunProgram());
  EXPECT_TRUE(scheduler::LiveThreads().empty());
  EXPECT_EQ(nullptr, Window::Frame());
}

} // namespace
} // namespace vx
