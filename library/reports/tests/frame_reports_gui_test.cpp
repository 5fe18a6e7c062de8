#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/reports/report_preview.h"
#include "library/reports/report_procedures.h"
#include "library/reports/text_viewer.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/table_list_control.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx {
namespace {

Window *AnyWindowTitled(const QString &title) {
  for (int thread : scheduler::LiveThreads()) {
    for (Window *window : scheduler::WindowsOf(thread)) {
      if (window->IsOpen() && window->Title() == title)
        return window;
    }
  }
  return nullptr;
}

Window &Await(const QString &title) {
  test::WaitFor([&] { return AnyWindowTitled(title) != nullptr; });
  return *AnyWindowTitled(title);
}

// The frame's Reports menu and Help > Read Me and What's New start their procedures: the
// Categories report opens its preview, What's New shows its file.
TEST(FrameReports, ReportsAndHelpEntriesStartTheirProcedures) {
  test::TempSetup setup;
  ResetGlobals();
  RegisterProgramProcedures();
  RegisterReportProcedures();
  const MessageHandler previous = SetMessageHandler([](const MessageRequest &) { return int(BUTTON_OK); });
  TakeFile(Categories());
  ASSERT_EQ(0, test::AddCategory("News"));
  ReleaseFile(Categories());
  {
    QFile file("whatsnew.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Reports and text windows\n");
  }
  std::vector<int> disabled;
  QString pages, firstLine;
  START([&] {
    test::WaitFor([] { return Window::Frame() != nullptr; });
    Window &frame = *Window::Frame();
    for (int entry : {kMenuPrintByDescription, kMenuPrintByLocation, kMenuPrintByCategory, kMenuPrintByRating,
                      kMenuPrintByKeyword, kMenuPrintCategories, kMenuReadMe, kMenuWhatsNew}) {
      if (!frame.Find(entry)->IsEnabled())
        disabled.push_back(entry);
    }
    frame.Get<MenuItemControl>(kMenuPrintCategories).Choose();
    Window &preview = Await("Report Preview");
    test::WaitFor([&] { return !preview.Bars().ZoneText(2).isEmpty(); });
    pages = preview.Bars().ZoneText(2);
    preview.Post(EventKind::Accepted, kPreviewExit);
    frame.Get<MenuItemControl>(kMenuWhatsNew).Choose();
    Window &viewer = Await("What's New");
    auto &list = viewer.Get<TableListControl>(kViewerList);
    test::WaitFor([&] { return list.RowCount() == 1; });
    list.SetSelectedRow(1);
    firstLine = list.Text();
    viewer.Post(EventKind::Accepted, kViewerClose);
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_EQ(0, ProgramEntry());
  EXPECT_TRUE(disabled.empty());
  EXPECT_EQ("Page 1 of 1", pages);
  EXPECT_EQ("Reports and text windows", firstLine);
  SetMessageHandler(previous);
  for (const char *name : {"BrowseVORNIX", "BrowseCategories", "Splash", "About"})
    UnregisterProcedure(name);
}

} // namespace
} // namespace vx
