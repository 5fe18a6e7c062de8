// The window "Import from Vornix Database": the names it takes and refuses, the file
// dialog, and a merge run from it.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/exchange/merge/import_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"
#include "support/headless_window.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QDir>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ImportVornixTest : public FormTest {
protected:
  ImportVornixTest() {
    QDir().mkpath("Old/Lib");
    SiteFile &other = MergeSource();
    other.setName("Old/Lib/url_l.kyf"); // a copy of the library that lived on a system blind to case
    CREATE(other);
    OPEN(other);
    CLEAR(other);
    ILOC().Location = "http://merged.example/";
    ILOC().Description = "Merged";
    ADD(other);
    EXPECT_EQ(ERRORCODE(), 0);
    CLOSE(other);
  }

  void Run(const std::function<void(Window &)> &script) {
    RunWithScript([this] { ImportVORNIX(window_.Runner()); },
                  [&](int thread) {
                    Window &window = WaitForWindow(thread, "Import from Vornix Database");
                    script(window);
                    window.Get<ButtonControl>(kImportCancel).Press();
                    WaitForEnd(thread);
                  });
  }

  static void Enter(Window &window, const QString &name) {
    window.Find(kImportName)->SetText(name);
    window.Get<ButtonControl>(kImportOk).Press();
  }

  HeadlessWindow window_;
};

TEST_F(ImportVornixTest, MergesTheNameTypedInAnyCaseAndStaysOpen) {
  Run([this](Window &window) {
    EXPECT_EQ(window.Find(kImportName)->Text(), "URL_L.KYF");
    Enter(window, "Old/Lib/URL_C.KYF");
    WaitFor([this] { return shown_.size() == 1; });
    Enter(window, "OLD/LIB/URL_L.KYF");
    WaitFor([this] { return shown_.size() == 2; }); // no such file: the name is opened as typed
    Enter(window, "Old/Lib/url_l.kyf");
    WaitFor([this] { return window_.runs == 2; });
  });
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0].caption, "Cannot Import");
  EXPECT_EQ(shown_[0].text, "You can only import from databases created by Vornix version 1.5 and above.");
  EXPECT_EQ(shown_[1].caption, "File Access Error");
  EXPECT_EQ(window_.last().lines.last(), "Process Completed");
  EXPECT_EQ(NewSites(), QStringList{"http://merged.example/|Merged|New|0||"});
  EXPECT_EQ(GlobalResponse, 2);
}

TEST_F(ImportVornixTest, BrowseFillsTheNameAndKeepsTheWorkingDirectory) {
  const QString home = QDir::currentPath();
  FileDialogRequest asked;
  const FileDialogHandler previous = SetFileDialogHandler([&](const FileDialogRequest &request) {
    asked = request;
    QDir::setCurrent("Old");
    return std::optional<QString>(QDir::current().absoluteFilePath("Lib/url_l.kyf"));
  });
  Run([](Window &window) {
    window.Get<ButtonControl>(kImportBrowse).Press();
    WaitFor([&window] { return window.Find(kImportName)->Text().endsWith("Old/Lib/url_l.kyf"); });
    window.Get<ButtonControl>(kImportOk).Press();
  });
  SetFileDialogHandler(previous);
  EXPECT_EQ(asked.title, "Choose a File");
  EXPECT_EQ(asked.filter, "Vornix Database|URL_L.KYF");
  EXPECT_EQ(QDir::currentPath(), home);
  EXPECT_EQ(window_.runs, 1);
  EXPECT_EQ(NewSites().size(), 1);
}

} // namespace
} // namespace vx::test
