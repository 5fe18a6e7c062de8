#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace vx {
namespace {

std::vector<Window *> Browses(Window &frame) {
  std::vector<Window *> windows;
  for (QMdiSubWindow *sub : frame.MdiArea()->subWindowList()) {
    auto *window = static_cast<Window *>(sub->property("vxWindow").value<void *>());
    if (window && window->Title() == "Browse Locations")
      windows.push_back(window);
  }
  return windows;
}

// The program opens the Locations browse with the frame, and Browse > Locations opens
// another one beside it.
TEST(FrameBrowse, ProgramOpensTheLocationsBrowseAndTheMenuOpensAnother) {
  test::TempSetup setup;
  ResetGlobals();
  RegisterProgramProcedures();
  const MessageHandler previous = SetMessageHandler([](const MessageRequest &) { return int(BUTTON_OK); });
  TakeFile(Categories());
  TakeFile(VORNIX());
  ASSERT_EQ(0, test::AddCategory("News"));
  ASSERT_EQ(0, test::AddSite("http://a.example/", "First site", "News"));
  ASSERT_EQ(0, test::AddSite("http://b.example/", "Second site", "News"));
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());

  QStringList firstRows;
  size_t browsesAfterMenu = 0;
  START([&] {
    test::WaitFor([] { return Window::Frame() && Browses(*Window::Frame()).size() == 1; });
    Window &frame = *Window::Frame();
    ListControl &list = Browses(frame).front()->Get<ListControl>(1);
    test::WaitFor([&] { return list.RowCount() == 2; });
    for (int row = 1; row <= list.RowCount(); ++row)
      firstRows << list.Row(row).value(0);
    frame.Get<MenuItemControl>(kMenuBrowseLocations).Choose();
    test::WaitFor([&] { return Browses(frame).size() == 2; });
    browsesAfterMenu = Browses(frame).size();
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_EQ(0, ProgramEntry());
  EXPECT_EQ(QStringList({"First site", "Second site"}), firstRows);
  EXPECT_EQ(2u, browsesAfterMenu);
  SetMessageHandler(previous);
  for (const char *name : {"BrowseVORNIX", "Splash", "About"})
    UnregisterProcedure(name);
}

} // namespace
} // namespace vx
