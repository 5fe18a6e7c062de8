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
#include "support/user_driver.h"

#include <QFile>
#include <QScreen>
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

// The reports worked as a user works them, by keys, in the running program.
class ReportsByUser : public test::UserTest {
protected:
  ReportsByUser() { RegisterReportProcedures(); }
};

// Reports > Categories with the frame away from the screen's middle: the Report Preview opens
// centred over the frame. Its View > Jump to a page dialog is at least as wide as a window
// manager's title bar needs for its title.
TEST_F(ReportsByUser, ThePreviewOpensOverTheFrameAndItsDialogShowsItsTitleWhole) {
  TakeFile(Categories());
  for (int i = 0; i < 30; ++i) // two pages
    ASSERT_EQ(0, test::AddCategory(QStringLiteral("Category %1").arg(i, 2, 10, QChar(u'0'))));
  ReleaseFile(Categories());
  const QString jumpTitle = "Jump to a Report Page";
  QPoint off;
  int jumpWidth = 0;
  RunProgram([&] {
    user_.WaitForWindow("Browse Locations");
    QWidget *frame = Window::Frame()->Outer();
    const QRect screen = frame->screen()->availableGeometry();
    QRect place(0, 0, 500, 360);
    place.moveCenter(screen.center() - QPoint(screen.width() / 16, screen.height() / 30));
    frame->setGeometry(place);
    user_.Settle();
    user_.PressWithAlt(Qt::Key_R);
    user_.Press(Qt::Key_Down);
    user_.Press(Qt::Key_Return);
    Window &preview = Await("Report Preview"); // the keyboard rests on its toolbar
    user_.Settle();
    off = user_.ScreenPlace(preview).center() - frame->frameGeometry().center();
    user_.PressWithAlt(Qt::Key_V);
    user_.Press(Qt::Key_J);
    Window &jump = user_.WaitForWindow(jumpTitle);
    jumpWidth = user_.ScreenPlace(jump).width();
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&jump); }, jumpTitle);
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&preview); }, "the preview closing");
  });
  EXPECT_LE(off.manhattanLength(), 6) << off.x() << "," << off.y();
  EXPECT_GE(jumpWidth, test::UserDriver::TitleBarNeeds(jumpTitle));
}

} // namespace
} // namespace vx
