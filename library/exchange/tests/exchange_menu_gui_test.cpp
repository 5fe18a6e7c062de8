// The exchange's entries of the frame's File menu, in a run of the program.

#include "library/core/globals.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/core/version_check.h"
#include "library/exchange/clipboard/monitor_clipboard.h"
#include "library/exchange/exchange_procedures.h"
#include "library/exchange/export/export_main.h"
#include "library/exchange/import/import_main.h"
#include "library/exchange/merge/import_vornix.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"
#include "support/headless_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

const char *const kExchangeProcedures[] = {"MonitorClipboard", "ImportMain", "ExportMain", "ImportVORNIX"};

class ExchangeMenuTest : public FormTest {
protected:
  ExchangeMenuTest() {
    ResetGlobals();
    RegisterProgramProcedures();
    RegisterProcedure("BrowseVORNIX", [] {});
    RegisterProcedure("Splash", [] {});
  }
  ~ExchangeMenuTest() override {
    for (const char *name : {"BrowseVORNIX", "BrowseCategories", "Splash", "About"})
      UnregisterProcedure(name);
    for (const char *name : kExchangeProcedures)
      UnregisterProcedure(name);
    Upgrades() = DefaultUpgradeSteps();
  }

  HeadlessWindow window_;
};

// The frame's child window with `title`, or null.
Window *Child(Window &frame, const QString &title) {
  for (QMdiSubWindow *sub : frame.MdiArea()->subWindowList()) {
    auto *window = static_cast<Window *>(sub->property("vxWindow").value<void *>());
    if (window && window->IsOpen() && window->Title() == title)
      return window;
  }
  return nullptr;
}

// Chooses the menu entry and waits for the child window it opens.
Window &Open(Window &frame, int entry, const QString &title) {
  frame.Get<MenuItemControl>(entry).Choose();
  WaitFor([&] { return Child(frame, title) != nullptr; });
  return *Child(frame, title);
}

TEST_F(ExchangeMenuTest, FileMenuStartsTheImportTheClipboardMonitorTheExportAndTheMerge) {
  RegisterExchangeProcedures(window_.Runner());
  SETCLIPBOARD(QString());
  START([] {
    WaitFor([] { return Window::Frame() && Window::Frame()->IsOpen(); });
    Window &frame = *Window::Frame();
    EXPECT_TRUE(frame.Get<MenuItemControl>(kMenuImport).Action()->isEnabled());
    EXPECT_TRUE(frame.Get<MenuItemControl>(kMenuClipboardMonitor).Action()->isEnabled());
    EXPECT_TRUE(frame.Get<MenuItemControl>(kMenuMerge).Action()->isEnabled());
    EXPECT_TRUE(frame.Get<MenuItemControl>(kMenuExport).Action()->isEnabled());
    Open(frame, kMenuImport, "Import").Get<ButtonControl>(kImportMainCancel).Press();
    Open(frame, kMenuClipboardMonitor, "Monitor Clipboard").Get<ButtonControl>(kMonitorExit).Press();
    Open(frame, kMenuExport, "Export").Get<ButtonControl>(kExportCancel).Press();
    Open(frame, kMenuMerge, "Import from Vornix Database").Get<ButtonControl>(kImportCancel).Press();
    WaitFor([&] { return frame.MdiArea()->subWindowList().isEmpty(); });
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  int code = -1;
  EXPECT_TRUE(RunWithin(20000, [&code] { code = ProgramEntry(); }));
  EXPECT_EQ(code, 0);
}

} // namespace
} // namespace vx::test
