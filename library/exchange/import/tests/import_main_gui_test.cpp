// The Import window: what it shows as it opens, the category entry it shows and checks, and
// an import run from it.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/exchange/import/import_main.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/window.h"
#include "support/form_driver.h"
#include "support/headless_window.h"
#include "support/import_fixture.h"
#include "support/user_driver.h"

#include <QAbstractButton>
#include <QDir>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ImportMainTest : public FormTest {
protected:
  ImportMainTest() {
    ProgramImportSettings() = {};
    TakeAll();
    for (const char *category : {"News", "Arts"})
      EXPECT_EQ(AddCategory(category), 0);
  }

  void AddEntry(const QString &type, const QString &name, int time) {
    CLEAR(History());
    HIS().Type = type;
    HIS().FieldContents = name;
    HIS().Date = 80000;
    HIS().Time = time;
    ADD(History());
    ASSERT_EQ(ERRORCODE(), 0);
  }

  // Runs the window; `script` works it and Cancel closes it afterwards.
  void Run(const std::function<void(Window &)> &script) {
    RunWithScript([this] { ImportMain(runner_.Runner()); },
                  [&](int thread) {
                    Window &window = WaitForWindow(thread, "Import");
                    // The window has filled its lists.
                    WaitFor(
                        [&] { return window.Get<ComboControl>(kImportMainCategory).Items().size() == 2; });
                    script(window);
                    window.Get<ButtonControl>(kImportMainCancel).Press();
                    WaitForEnd(thread);
                  });
  }

  static void Click(Window &window, int control) {
    static_cast<QAbstractButton *>(window.Find(control)->Widget())->click();
  }

  HeadlessWindow runner_;
};

// Without an Import section the window imports HTML by best guess, so the category entry is
// hidden; choosing "Selected Category" shows it, and it takes only a listed category, in the
// list's spelling. The name list holds each imported name once, export entries left out.
TEST_F(ImportMainTest, OpensOnBestGuessAndShowsTheCategoryEntryForTheSelectedCategory) {
  AddEntry("Import", "b.htm", 1);
  AddEntry("Import", "a.htm", 2);
  AddEntry("Import", "b.htm", 3);
  AddEntry("Export", "out.htm", 4);
  Run([](Window &window) {
    auto &name = window.Get<ComboControl>(kImportMainName);
    EXPECT_EQ(name.Text(), "a.htm");
    EXPECT_EQ(name.Items(), QStringList({"a.htm", "b.htm"}));
    EXPECT_TRUE(window.Get<RadioControl>(kImportMainHtml).IsChosen());
    EXPECT_TRUE(window.Get<RadioControl>(kImportMainGuess).IsChosen());
    EXPECT_TRUE(window.Find(kImportMainCategory)->IsHidden());
    EXPECT_TRUE(window.Find(kImportMainCategoryPrompt)->IsHidden());

    Click(window, kImportMainSelected);
    WaitFor([&] { return !window.Find(kImportMainCategory)->IsHidden(); });
    EXPECT_FALSE(window.Find(kImportMainCategoryPrompt)->IsHidden());
    Control &category = *window.Find(kImportMainCategory);
    const auto enter = [&](const QString &text) {
      category.SetText(text);
      category.Update();
      window.Post(Event{EventKind::Accepted, kImportMainCategory});
    };
    enter("arts");
    WaitFor([&] { return category.Text() == "Arts"; });
    enter("Sports");
    WaitFor([&] { return UserDriver::HasFocus(window, kImportMainCategory); });

    Click(window, kImportMainAsk);
    WaitFor([&] { return window.Find(kImportMainCategory)->IsHidden(); });
  });
  EXPECT_EQ(GlobalResponse, 2);
  EXPECT_EQ(runner_.runs, 0);
}

// OK takes the typed name as it is, records it, stores the settings and imports into the
// selected category; the window stays open showing the name. A blank name is refused.
TEST_F(ImportMainTest, OkRecordsTheNameStoresTheSettingsAndImports) {
  WriteInput("Links", "see http://a.example/ and ftp://b.example/pub\n");
  Run([this](Window &window) {
    Click(window, kImportMainText);
    Click(window, kImportMainSelected);
    WaitFor([&] { return !window.Find(kImportMainCategory)->IsHidden(); });
    window.Find(kImportMainCategory)->SetText("News");
    window.Find(kImportMainName)->SetText("Links");
    window.Get<ButtonControl>(kImportMainOk).Press();
    WaitFor([this] { return runner_.runs == 1; });
    EXPECT_EQ(window.Find(kImportMainName)->Text(), "Links");
    EXPECT_EQ(window.Get<ComboControl>(kImportMainName).Items(), QStringList({"Links"}));
    EXPECT_EQ(ExchangeFileName, "Links");

    window.Find(kImportMainName)->SetText("");
    window.Get<ButtonControl>(kImportMainOk).Press();
    WaitFor([this] { return !shown_.empty(); });
  });
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "You must enter an Import file name.");
  EXPECT_EQ(shown_[0].caption, "Information Required");
  EXPECT_EQ(runner_.runs, 1);
  EXPECT_EQ(runner_.last().lines.last(), "Process Completed");
  EXPECT_EQ(SiteRows(),
            QStringList({"News|http://a.example/|and ftp://b.example/pub|and ftp://b.example/pub|0|http",
                         "News|ftp://b.example/pub|||0|ftp"}));
  EXPECT_EQ(GETINI("Import", "Name"), "Links");
  EXPECT_EQ(GETINI("Import", "Type"), "Any ASCII text file");
  EXPECT_EQ(GETINI("Import", "Categories"), "Selected Category");
  EXPECT_EQ(GETINI("Import", "Category"), "News");
  EXPECT_FALSE(GETINI("ImportMain", "XPosit").isEmpty());
  SET(History().KeyType);
  NEXT(History());
  EXPECT_EQ(HIS().Type.clipped(), "Import");
  EXPECT_EQ(HIS().FieldContents.clipped(), "Links");
}

// The file dialog opens a file (not a save dialog) and Help shows ImportHelp, each leaving
// the working directory as the window found it.
TEST_F(ImportMainTest, BrowseAndHelpKeepTheWorkingDirectory) {
  const QString home = QDir::currentPath();
  ASSERT_TRUE(QDir().mkdir("Web"));
  FileDialogRequest asked;
  const FileDialogHandler previous = SetFileDialogHandler([&](const FileDialogRequest &request) {
    asked = request;
    QDir::setCurrent("Web");
    return std::optional<QString>(QDir::current().absoluteFilePath("Links.HTM"));
  });
  QString helpDir;
  RegisterProcedure("ImportHelp", [&helpDir] { helpDir = QDir::currentPath(); });
  Run([&helpDir](Window &window) {
    window.Get<ButtonControl>(kImportMainBrowse).Press();
    WaitFor([&] { return window.Find(kImportMainName)->Text().endsWith("Web/Links.HTM"); });
    QDir::setCurrent("Web");
    window.Get<ButtonControl>(kImportMainHelp).Press();
    WaitFor([&] { return !helpDir.isEmpty(); });
  });
  UnregisterProcedure("ImportHelp");
  SetFileDialogHandler(previous);
  EXPECT_EQ(asked.title, "Choose a File");
  EXPECT_EQ(asked.filter, "All Files|*.*|HTML files|*.htm|ASCII files|*.txt");
  EXPECT_FALSE(asked.save);
  EXPECT_EQ(helpDir, home);
  EXPECT_EQ(QDir::currentPath(), home);
}

} // namespace
} // namespace vx::test
