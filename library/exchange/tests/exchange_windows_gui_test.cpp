// Every window of the exchange shows its texts whole; with VORNIX_SCREENSHOTS set to a folder
// a picture of each is saved there (scripts/screenshot-library runs this at 96 and 120 dpi).

#include "library/core/dictionary.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/progress_window.h"
#include "library/exchange/clipboard/monitor_clipboard.h"
#include "library/exchange/exchange_procedures.h"
#include "library/exchange/export/export_history.h"
#include "library/exchange/export/export_main.h"
#include "library/exchange/export/export_settings.h"
#include "library/exchange/import/import_history.h"
#include "library/exchange/import/import_main.h"
#include "library/exchange/merge/import_vornix.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/user_driver.h"
#include "support/window_texts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

// A process that goes on until it is cancelled.
class EndlessProcess : public BatchProcess {
public:
  explicit EndlessProcess(BatchProgress &progress) : progress_(progress) {
    progress_.ShowTexts("Processing Records", "Exporting");
    progress_.ShowPercent(42, " 42% Completed");
  }
  bool Step() override { return !progress_.CancelPressed(); }
  int Finish() override { return 2; }

private:
  BatchProgress &progress_;
};

class ExchangeWindowTexts : public UserTest {
protected:
  ExchangeWindowTexts() {
    ProgramExportSettings() = {};
    ProgramImportSettings() = {};
    RegisterExchangeProcedures(RunInProgressWindow);
  }
  ~ExchangeWindowTexts() override {
    for (const char *name : {"MonitorClipboard", "ImportMain", "ExportMain", "ImportVORNIX"})
      UnregisterProcedure(name);
  }

  void SetUp() override {
    TakeAll();
    for (const char *name : {"News", "Arts and Letters"})
      ASSERT_EQ(0, AddCategory(name));
    for (const char *name : {"/home/ann/Public/links.htm", "/home/ann/sites.csv", "bookmark.htm"})
      AddExportHistory(name);
    for (const char *name : {"/home/ann/Downloads/bookmarks.html", "links.txt"})
      AddImportHistory(name);
    for (DataFile *file : std::initializer_list<DataFile *>{&Categories(), &VORNIX(), &CatHTML(), &History()})
      ReleaseFile(*file);
    for (auto [key, value] : {std::pair{"Name", "bookmark.htm"},
                              {"Type", "HTML - Frame"},
                              {"Categories", "Selected"},
                              {"Category", "News"},
                              {"SiteInfo", "1"},
                              {"Ratings", "1"}})
      PUTINI("Export", key, value);
    PUTINI("Import", "Categories", "Selected Category");
    PUTINI("Import", "Category", "Arts and Letters");
    SETCLIPBOARD(QString());
  }

  // Opens the window of the frame's menu entry, looks at it and closes it with `close`.
  void Look(int entry, const QString &title, const QString &name, int close) {
    Window::Frame()->Get<MenuItemControl>(entry).Choose();
    Window &window = user_.WaitForWindow(title);
    LookAt(window.Outer(), name);
    user_.Click(window, close);
    user_.Until([&] { return user_.Closed(&window); });
  }
};

TEST_F(ExchangeWindowTexts, EveryExchangeWindowShowsItsTextsWhole) {
  RunProgram([&] {
    Window &frame = *Window::Frame();
    frame.MainWindow()->resize(1000, 700);
    user_.WaitForWindow("Browse Locations");
    Look(kMenuClipboardMonitor, "Monitor Clipboard", "monitor-clipboard", kMonitorExit);
    Look(kMenuMerge, "Import from Vornix Database", "import-from-vornix-database", kImportCancel);
    Look(kMenuImport, "Import", "import", kImportMainCancel);

    frame.Get<MenuItemControl>(kMenuExport).Choose();
    Window &exporting = user_.WaitForWindow("Export");
    LookAt(exporting.Outer(), "export");
    auto *names = static_cast<QComboBox *>(exporting.Find(kExportName)->Widget());
    names->showPopup();
    user_.Settle();
    LookAt(names->view()->window(), "export-previous-files");
    names->hidePopup();
    frame.MainWindow()->activateWindow();
    user_.Until([&] { return QGuiApplication::focusWindow() == frame.MainWindow()->windowHandle(); });
    user_.Click(exporting, kExportCancel);
    user_.Until([&] { return user_.Closed(&exporting); });

    const int thread = START([] {
      RunInProgressWindow([](BatchProgress &progress) { return std::make_unique<EndlessProcess>(progress); });
    });
    Window &progress = user_.WaitForWindow("Processing Records");
    LookAt(progress.Outer(), "progress");
    user_.Click(progress, ProgressWindow::kCancel);
    user_.Until([thread] { return !scheduler::IsAlive(thread); });
  });
}

} // namespace
} // namespace vx::test
