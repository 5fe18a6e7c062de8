// The Export window: what it shows as it opens, the name it takes, and an export run from it.

#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/procedure_table.h"
#include "library/exchange/export/export_main.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/combo_control.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/popup_menu.h"
#include "library/runtime/windows/window.h"
#include "support/export_fixture.h"
#include "support/form_driver.h"
#include "support/headless_window.h"

#include <QAbstractButton>
#include <QDir>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ExportMainTest : public FormTest {
protected:
  ExportMainTest() {
    ProgramExportSettings() = {};
    TakeAll();
    for (const char *category : {"_Before All", "News"})
      EXPECT_EQ(AddCategory(category), 0);
    EXPECT_EQ(AddSite("http://news.example/", "Daily news", "News", 3), 0);
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
    RunWithScript([this] { ExportMain(runner_.Runner()); },
                  [&](int thread) {
                    Window &window = WaitForWindow(thread, "Export");
                    // The window has filled its lists.
                    WaitFor([&] { return window.Get<ComboControl>(kExportCategory).Items().size() == 2; });
                    script(window);
                    window.Get<ButtonControl>(kExportCancel).Press();
                    WaitForEnd(thread);
                  });
  }

  static void Click(Window &window, int control) {
    static_cast<QAbstractButton *>(window.Find(control)->Widget())->click();
  }

  HeadlessWindow runner_;
};

TEST_F(ExportMainTest, WithoutSettingsTheWindowOpensBlank) {
  Run([](Window &window) {
    EXPECT_EQ(window.Find(kExportName)->Text(), "");
    EXPECT_EQ(window.Get<OptionControl>(kExportType).Choice(), 0);
    EXPECT_EQ(window.Get<OptionControl>(kExportCategories).Choice(), 0);
    EXPECT_FALSE(window.Find(kExportCategory)->IsHidden());
    EXPECT_FALSE(window.Get<CheckControl>(kExportSiteInfo).IsChecked());
    EXPECT_FALSE(window.Get<CheckControl>(kExportRatings).IsChecked());
    EXPECT_TRUE(window.Get<RadioControl>(kExportByLocation).IsChosen());
  });
  EXPECT_EQ(GlobalResponse, 2);
  EXPECT_EQ(runner_.runs, 0);
}

TEST_F(ExportMainTest, OpensWithTheStoredSettingsAndEachExportedNameOnce) {
  for (auto [key, value] : {std::pair{"Name", "b.htm"},
                            {"Type", "ASCII"},
                            {"Categories", "All"},
                            {"Category", "News"},
                            {"SiteInfo", "1"},
                            {"Ratings", "0"}})
    PUTINI("Export", key, value);
  AddEntry("Export", "b.htm", 1);
  AddEntry("Export", "B.htm", 2);
  AddEntry("Export", "a.htm", 3);
  AddEntry("Export", "b.htm", 4);
  AddEntry("Import", "in.htm", 5);
  Run([](Window &window) {
    auto &name = window.Get<ComboControl>(kExportName);
    EXPECT_EQ(name.Text(), "b.htm");
    EXPECT_EQ(name.Items(), QStringList({"a.htm", "B.htm", "b.htm"}));
    EXPECT_TRUE(window.Get<RadioControl>(kExportAscii).IsChosen());
    EXPECT_TRUE(window.Get<CheckControl>(kExportSiteInfo).IsChecked());
    EXPECT_FALSE(window.Get<CheckControl>(kExportRatings).IsChecked());
    EXPECT_TRUE(window.Get<RadioControl>(kExportByLocation).IsChosen());
    EXPECT_TRUE(window.Find(kExportCategory)->IsHidden());
    Click(window, kExportSelected);
    WaitFor([&] { return !window.Find(kExportCategory)->IsHidden(); });
    EXPECT_EQ(window.Get<ComboControl>(kExportCategory).Items(), QStringList({"News", "_Before All"}));
    EXPECT_EQ(window.Find(kExportCategory)->Text(), "News");
  });
}

// OK takes the name the combo shows, gives it the type's extension without touching its
// folder, records it, stores the settings, exports, and stays open showing the name.
TEST_F(ExportMainTest, OkRecordsTheNameStoresTheSettingsAndExports) {
  ASSERT_TRUE(QDir().mkdir("Out"));
  Run([this](Window &window) {
    Click(window, kExportSimple);
    Click(window, kExportRatings);
    window.Find(kExportName)->SetText("Out/Sites");
    window.Get<ButtonControl>(kExportOk).Press();
    WaitFor([this] { return runner_.runs == 1; });
    WaitFor([&] { return window.Find(kExportName)->Text() == "Out/sites.htm"; });
    EXPECT_EQ(window.Get<ComboControl>(kExportName).Items(), QStringList({"Out/sites.htm"}));
    EXPECT_EQ(ExchangeFileName, "Out/sites.htm");

    window.Find(kExportName)->SetText("");
    window.Get<ButtonControl>(kExportOk).Press();
    WaitFor([this] { return !shown_.empty(); });
  });
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "You must enter an export file name.");
  EXPECT_EQ(shown_[0].caption, "Information Required");
  EXPECT_EQ(runner_.runs, 1);
  EXPECT_EQ(runner_.last().lines.last(), "Process Completed");
  EXPECT_TRUE(
      ReadOutput("Out/sites.htm").contains("<li><a href=\"http://news.example/\">Daily news</a></li>"));
  EXPECT_EQ(GETINI("Export", "Name"), "Out/sites.htm");
  EXPECT_EQ(GETINI("Export", "Type"), "HTML - Simple");
  EXPECT_EQ(GETINI("Export", "Ratings"), "1");
  EXPECT_EQ(GETINI("Export", "Order"), "Location");
  SET(History().KeyType);
  NEXT(History());
  EXPECT_EQ(HIS().FieldContents.clipped(), "Out/sites.htm");
}

// OK before a type is chosen writes nothing and says what is missing; a name in a folder
// that does not exist is shown with message 30 and kept out of the names offered again, and
// the window stays open for a name that works.
TEST_F(ExportMainTest, OkRefusesAMissingTypeAndANameThatCannotBeCreated) {
  Run([this](Window &window) {
    window.Find(kExportName)->SetText("sites.htm");
    window.Get<ButtonControl>(kExportOk).Press();
    WaitFor([this] { return shown_.size() == 1; });

    Click(window, kExportTable);
    window.Find(kExportName)->SetText("nowhere/sites.htm");
    window.Get<ButtonControl>(kExportOk).Press();
    WaitFor([this] { return shown_.size() == 2; });
    EXPECT_TRUE(window.Get<ComboControl>(kExportName).Items().isEmpty());

    window.Find(kExportName)->SetText("sites.htm");
    window.Get<ButtonControl>(kExportOk).Press();
    WaitFor([this] { return runner_.runs == 1; });
  });
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_EQ(shown_[0].text, "You must choose an export type.");
  EXPECT_EQ(shown_[0].caption, "Information Required");
  EXPECT_EQ(shown_[1].caption, "File Access Error");
  EXPECT_EQ(shown_[1].buttons, BUTTON_OK);
  EXPECT_EQ(shown_[1].text, "File (nowhere/sites.htm) could not be opened.  Error: File Not Found (2).");
  EXPECT_EQ(runner_.runs, 1);
  EXPECT_TRUE(ReadOutput("sites.htm").contains("http://news.example/"));
  QStringList names;
  SET(History().KeyType);
  for (NEXT(History()); ERRORCODE() == 0; NEXT(History()))
    names << HIS().FieldContents.clipped();
  EXPECT_EQ(names, QStringList({"sites.htm"}));
}

// The file dialog, the name kept under Export1 (offered on a right click) and Help, each
// leaving the working directory as the window found it.
TEST_F(ExportMainTest, BrowseTheKeptNameAndHelpKeepTheWorkingDirectory) {
  const QString home = QDir::currentPath();
  ASSERT_TRUE(QDir().mkdir("Web"));
  PUTINI("History", "Export1", "kept.htm");
  FileDialogRequest asked;
  const FileDialogHandler previous = SetFileDialogHandler([&](const FileDialogRequest &request) {
    asked = request;
    QDir::setCurrent("Web");
    return std::optional<QString>(QDir::current().absoluteFilePath("Links.HTM"));
  });
  const PopupHandler previousPopup = SetPopupHandler([](const PopupRequest &request) {
    return request.items.size() == 1 && request.items[0].text == "kept.htm" ? 1 : 0;
  });
  QString helpDir;
  RegisterProcedure("ExportHelp", [&helpDir] { helpDir = QDir::currentPath(); });
  Run([](Window &window) {
    window.Get<ButtonControl>(kExportBrowse).Press();
    WaitFor([&] { return window.Find(kExportName)->Text().endsWith("Web/Links.HTM"); });
    window.Post(Event{EventKind::AlertKey, 0, KEY_MOUSE_RIGHT});
    WaitFor([&] { return window.Find(kExportName)->Text() == "kept.htm"; });
    QDir::setCurrent("Web");
    window.Get<ButtonControl>(kExportHelp).Press();
  });
  UnregisterProcedure("ExportHelp");
  SetPopupHandler(previousPopup);
  SetFileDialogHandler(previous);
  EXPECT_EQ(asked.title, "Choose a File");
  EXPECT_EQ(asked.filter, "All Files|*.*|HTML files|*.htm|ASCII files|*.txt");
  EXPECT_TRUE(asked.save);
  EXPECT_EQ(helpDir, home);
  EXPECT_EQ(QDir::currentPath(), home);
}

} // namespace
} // namespace vx::test
