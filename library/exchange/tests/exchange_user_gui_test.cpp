// The exchange in a run of the whole program, worked as a user: the conversion of old
// files at start, a merge, an export and an import, each in the real progress window.

#include "library/core/browse_vornix.h"
#include "library/core/dictionary.h"
#include "library/core/main_frame.h"
#include "library/core/procedure_table.h"
#include "library/core/program_entry.h"
#include "library/core/progress_window.h"
#include "library/core/version_check.h"
#include "library/exchange/exchange_procedures.h"
#include "library/exchange/export/export_main.h"
#include "library/exchange/export/export_settings.h"
#include "library/exchange/import/ask_category.h"
#include "library/exchange/import/import_main.h"
#include "library/exchange/merge/import_vornix.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/desktop.h"
#include "library/runtime/windows/list_control.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/import_fixture.h"
#include "support/old_files.h"
#include "support/print_qstring.h"
#include "support/user_driver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ExchangeUserTest : public UserTest {
protected:
  ExchangeUserTest() {
    ProgramExportSettings() = {};
    ProgramImportSettings() = {};
    RegisterExchangeProcedures(RunInProgressWindow);
  }
  ~ExchangeUserTest() override {
    ProgressWindow::SetObserver(std::move(observer_));
    for (const char *name : {"MonitorClipboard", "ImportMain", "ExportMain", "ImportVORNIX"})
      UnregisterProcedure(name);
    Upgrades() = DefaultUpgradeSteps();
  }

  // Every text the progress windows showed under their bars, after their captions.
  QStringList lines_;
  ProgressWindow::Observer observer_ = ProgressWindow::SetObserver(
      [this](const QString &caption, int, const QString &text) { lines_ << caption + ": " + text; });
};

void WriteOtherLibrary(int sites) {
  QDir().mkpath("Other");
  SiteFile &other = MergeSource();
  other.setName("Other/URL_L.KYF");
  CREATE(other);
  OPEN(other);
  for (int i = 0; i < sites; ++i) {
    CLEAR(other);
    ILOC().Location = QStringLiteral("http://other.example/%1").arg(i);
    ILOC().Description = "Other";
    ILOC().Category = "Misc";
    ADD(other);
    ASSERT_EQ(ERRORCODE(), 0);
  }
  CLOSE(other);
}

TEST_F(ExchangeUserTest, OldFilesAreConvertedAtStartThenAMergeAndAnExportRunFromTheMenu) {
  QList<OldSite> old;
  for (int i = 0; i < 30; ++i)
    old << OldSite{QStringLiteral("http://other.example/%1").arg(i * 10), "Old", "Misc", 1, "http", ""};
  WriteOldSites(old);
  WriteOldCategories({"Misc"});
  WriteOtherLibrary(40); // four of them the library holds after the conversion
  PUTINI("System", "Version", "1.4", "VORNIX.INI");

  START([this] {
    EXPECT_EQ(user_.Answer("OK"),
              "To allow you to take full advantage of all the new features in this version "
              "of Vornix, your files must be updated.  Press OK to begin upgrading files.");
    user_.Until([] { return Window::Frame() && Window::Frame()->IsOpen(); }, "the frame");
    Window &frame = *Window::Frame();
    for (int entry : {kMenuClipboardMonitor, kMenuExport, kMenuMerge, kMenuPrintSetup, kMenuExit})
      EXPECT_TRUE(frame.Get<MenuItemControl>(entry).Action()->isEnabled()) << entry;

    frame.Get<MenuItemControl>(kMenuMerge).Choose();
    Window &merge = user_.WaitForWindow("Import from Vornix Database");
    merge.Find(kImportName)->SetText("Other/URL_L.KYF");
    user_.Click(merge, kImportOk);
    user_.Until([this] { return lines_.count("Processing Records: Process Completed") == 3; }, "the merge");
    user_.Click(merge, kImportCancel);

    frame.Get<MenuItemControl>(kMenuExport).Choose();
    Window &exporting = user_.WaitForWindow("Export");
    user_.Click(exporting, kExportComma);
    // The conversion proposed VORNEXP.HTM; the user types a name over it.
    EXPECT_EQ(exporting.Find(kExportName)->Text(), "VORNEXP.HTM");
    exporting.Find(kExportName)->Widget()->setFocus();
    user_.Press(Qt::Key_A, Qt::ControlModifier);
    user_.Type("Sites");
    user_.Press(Qt::Key_Return);
    user_.Until([this] { return lines_.count("Processing Records: Process Completed") == 4; }, "the export");
    user_.Until([&] { return exporting.Find(kExportName)->Text() == "sites.txt"; }, "the name shown");
    user_.Click(exporting, kExportCancel);
    frame.Get<MenuItemControl>(kMenuExit).Choose();
  });
  EXPECT_TRUE(RunWithin(30000, [] { ProgramEntry(); })) << "the program did not end";

  EXPECT_FALSE(QFile::exists("VORNIX.KYF"));
  EXPECT_FALSE(QFile::exists("CATEGORI.KYF"));
  EXPECT_EQ(GETINI("System", "Version", "", "VORNIX.INI"), "1.5");
  EXPECT_EQ(NewSites().size(), 66);
  QFile exported("sites.txt");
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  const QList<QByteArray> rows = exported.readAll().split('\n');
  EXPECT_EQ(rows.size(), 67); // and the empty text after the last line break
  // The conversion chose Site Info and ratings too.
  EXPECT_EQ(rows.first(), "\"Misc\",\"http://other.example/0\",\"Old\",\"\",1");
}

// A browser's bookmark file, named in File > Import and imported by best guess: the
// Locations browse shows each site under the category of its own folder, nested or not.
// Alt+F leads to the window's "Import from File:", not to the frame's File menu.
TEST_F(ExchangeUserTest, ABookmarkFileImportedFromTheMenuShowsUnderItsFoldersInTheLocationsBrowse) {
  WriteInput("bookmarks.html",
             "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
             "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
             "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
             "    <DT><H3>News &amp; Weather</H3>\n    <DL><p>\n"
             "        <DT><A HREF=\"https://news.example/\">Daily News</A>\n"
             "        <DD>Headlines every morning\n"
             "        <HR>\n"
             "        <DT><H3>Local</H3>\n        <DL><p>\n"
             "            <DT><A HREF=\"https://town.example/\">Town Hall</A>\n"
             "        </DL><p>\n"
             "    </DL><p>\n"
             "    <DT><H3>Caf\xc3\xa9s</H3>\n    <DL><p>\n"
             "        <DT><A HREF=\"https://espresso.example/\">Espresso Bar M\xc3\xbcnchen</A>\n"
             "    </DL><p>\n</DL><p>\n");
  QStringList rows;
  RunProgram([&] {
    Window &browse = user_.WaitForWindow("Browse Locations");
    Window::Frame()->Get<MenuItemControl>(kMenuImport).Choose();
    Window &importing = user_.WaitForWindow("Import");
    EXPECT_TRUE(importing.Get<RadioControl>(kImportMainHtml).IsChosen());
    EXPECT_TRUE(importing.Get<RadioControl>(kImportMainGuess).IsChosen());
    importing.Find(kImportMainOk)->Widget()->setFocus();
    user_.Press(Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(user_.HasFocus(importing, kImportMainName));
    user_.Type("bookmarks.html");
    user_.Press(Qt::Key_Return);
    user_.Until([this] { return lines_.contains("Processing Records: Process Completed"); }, "the import");
    user_.Click(importing, kImportMainCancel);
    user_.Until([&] { return user_.Closed(&importing); });
    const ListControl &list = browse.Get<ListControl>(kBrowseList);
    user_.Until([&] { return list.RowCount() == 3; }, "the imported sites");
    for (int row = 1; row <= list.RowCount(); ++row)
      rows << list.Row(row).value(0) + " | " + list.Row(row).value(2);
  });
  EXPECT_EQ(rows, QStringList({"Daily News | News & Weather",
                               QString::fromUtf8("Espresso Bar M\xc3\xbcnchen | Caf\xc3\xa9s"),
                               "Town Hall | Local"}));
  EXPECT_EQ(GETINI("Import", "Name"), "bookmarks.html");
}

// The number of the control of `window` that has the keyboard; 0 when none has.
int FocusedControl(Window &window) {
  for (QWidget *widget = QApplication::focusWidget(); widget && widget != window.ClientArea();
       widget = widget->parentWidget()) {
    if (const QVariant number = widget->property("vxControl"); number.isValid())
      return number.toInt();
  }
  return 0;
}

// The Import and Export windows open with the keyboard in the file name: Alt with the name's
// own letter leaves it there, and the letters typed next go into the name, not to the frame's
// menus. Tab stops once at each option group, at its chosen button, where the arrow keys
// choose within the group, going round.
TEST_F(ExchangeUserTest, TheNameKeepsTheKeysAfterItsOwnLetterAndAnOptionGroupIsOneTabStop) {
  QString importName, exportName;
  QList<int> importStops, exportStops, importChoices;
  RunProgram([&] {
    Window::Frame()->Get<MenuItemControl>(kMenuImport).Choose();
    Window &importing = user_.WaitForWindow("Import");
    for (int i = 0; i < 7; ++i) {
      user_.Press(Qt::Key_Tab);
      importStops << FocusedControl(importing);
    }
    user_.Press(Qt::Key_Tab);
    user_.Press(Qt::Key_Tab);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Up}) {
      user_.Press(key);
      importChoices << importing.Get<OptionControl>(kImportMainType).Choice() * 100 +
                           FocusedControl(importing);
    }
    user_.Press(Qt::Key_Tab, Qt::ShiftModifier);
    user_.Press(Qt::Key_Tab, Qt::ShiftModifier);
    user_.PressWithAlt(Qt::Key_F);
    user_.Type("links.html");
    importName = importing.Find(kImportMainName)->Text();
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&importing); });

    Window::Frame()->Get<MenuItemControl>(kMenuExport).Choose();
    Window &exporting = user_.WaitForWindow("Export");
    for (int i = 0; i < 11; ++i) {
      user_.Press(Qt::Key_Tab);
      exportStops << FocusedControl(exporting);
    }
    user_.PressWithAlt(Qt::Key_X);
    user_.Type("sites");
    exportName = exporting.Find(kExportName)->Text();
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&exporting); });
  });
  EXPECT_EQ("links.html", importName);
  EXPECT_EQ("sites", exportName);
  EXPECT_EQ(QList<int>({kImportMainBrowse, kImportMainHtml, kImportMainGuess, kImportMainOk,
                        kImportMainCancel, kImportMainHelp, kImportMainName}),
            importStops);
  EXPECT_EQ(QList<int>({200 + kImportMainComma, 300 + kImportMainText, 100 + kImportMainHtml,
                        300 + kImportMainText}),
            importChoices);
  // No type is chosen yet: the first is the group's stop. Neither "All" nor "Selected" is
  // chosen either, so the category entry shows.
  EXPECT_EQ(
      QList<int>({kExportBrowse, kExportTable, kExportAll, kExportCategory, kExportSiteInfo, kExportRatings,
                  kExportByLocation, kExportOk, kExportCancel, kExportHelp, kExportName}),
      exportStops);
}

// Messages and windows of their own open centred over the window they belong to: "Information
// Required" over the Import window, the File Access Error of a missing file and the question
// "Category Assignment" over the import's progress window, About over the frame.
TEST_F(ExchangeUserTest, MessagesAndTheCategoryQuestionOpenCentredOverTheirWindows) {
  WriteInput("links.html", "<h3>Folder</h3>\n<a href=\"http://one.example/\">One</a>\n");
  QStringList offsets; // how far each opened from the middle of its window, in pixels
  RunProgram([&] {
    Window::Frame()->Get<MenuItemControl>(kMenuImport).Choose();
    Window &importing = user_.WaitForWindow("Import");
    const auto offset = [&](const QString &what, const QRect &shown, Window &owner) {
      const QPoint off = shown.center() - user_.ScreenPlace(owner).center();
      offsets << what + (off.manhattanLength() <= 6
                             ? " centred"
                             : QStringLiteral(" off by %1,%2").arg(off.x()).arg(off.y()));
    };
    user_.Press(Qt::Key_Return);
    offset("Information Required", user_.MessagePlace(), importing);
    user_.Answer("OK");
    user_.Type("missing.html");
    user_.Press(Qt::Key_Return);
    const QRect box = user_.MessagePlace();
    offset("File Access Error", box, *Window::ActiveOf(importing.Thread()));
    user_.Answer("OK");
    user_.Until([&] { return Window::ActiveOf(importing.Thread()) == &importing; }, "the import ending");
    user_.Click(importing, kImportMainAsk);
    importing.Find(kImportMainName)->Widget()->setFocus();
    user_.Press(Qt::Key_A, Qt::ControlModifier);
    user_.Type("links.html");
    user_.Press(Qt::Key_Return);
    Window &question = user_.WaitForWindow("Category Assignment");
    const auto &windows = scheduler::WindowsOf(importing.Thread());
    offset("Category Assignment", user_.ScreenPlace(question), *windows[windows.size() - 2]);
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return Window::ActiveOf(importing.Thread()) == &importing; }, "the import ending");
    user_.Settle();
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&importing); });

    Window::Frame()->Get<MenuItemControl>(kMenuAbout).Choose();
    Window &about = user_.WaitForWindow("About");
    offset("About", user_.ScreenPlace(about), *Window::Frame());
    user_.Press(Qt::Key_Return);
    user_.Until([&] { return user_.Closed(&about); });
  });
  EXPECT_EQ(QStringList({"Information Required centred", "File Access Error centred",
                         "Category Assignment centred", "About centred"}),
            offsets);
}

// Asked for each site, the user answers from the keyboard: Alt+I adds a category, whose form
// Enter saves; Enter then files the site under it. The question shows the site in fields
// drawn as read-only, and its Escape ends the import: the site filed before stays, and the
// sites after it are neither asked about nor added.
TEST_F(ExchangeUserTest, TheCategoryQuestionIsAnsweredByKeysAndItsEscapeEndsTheImport) {
  WriteInput("links.html", "<h3>Folder</h3>\n"
                           "<a href=\"http://one.example/\">One</a>\n"
                           "<a href=\"http://two.example/\">Two</a>\n"
                           "<a href=\"http://three.example/\">Three</a>\n");
  QColor fieldColour, windowColour;
  RunProgram([&] {
    Window::Frame()->Get<MenuItemControl>(kMenuImport).Choose();
    Window &importing = user_.WaitForWindow("Import");
    user_.Click(importing, kImportMainAsk);
    user_.Press(Qt::Key_F, Qt::AltModifier);
    user_.Type("links.html");
    user_.Press(Qt::Key_Return);
    // The question about `location`, once it has the keyboard.
    const auto question = [&](const QString &location) -> Window & {
      user_.Until(
          [&] {
            const Window *active = Window::ActiveOf(importing.Thread());
            return active && active->Title() == "Category Assignment" &&
                   active->Find(kAskLocation)->Text() == location;
          },
          "the question about " + location);
      return user_.WaitForWindow("Category Assignment");
    };

    Window &first = question("http://one.example/");
    QWidget *location = first.Find(kAskLocation)->Widget();
    const QImage drawn = location->grab().toImage();
    fieldColour = drawn.pixelColor(drawn.width() - 6, drawn.height() / 2);
    windowColour = first.ClientArea()->palette().color(QPalette::Window);
    user_.Press(Qt::Key_I, Qt::AltModifier);
    Window &form = user_.WaitForWindow("Category Will Be Added");
    user_.Type("Fresh");
    user_.Press(Qt::Key_Return);
    user_.Until([&] { return user_.Closed(&form); }, "Enter saving the new category");
    user_.Press(Qt::Key_Return);

    question("http://two.example/");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return Window::ActiveOf(importing.Thread()) == &importing; }, "the import ending");
    user_.Settle();
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&importing); }, "Escape closing the Import window");
  });
  EXPECT_EQ(fieldColour, windowColour);
  TakeFile(VORNIX());
  TakeFile(Categories());
  EXPECT_EQ(SiteRows(), QStringList{"Fresh|http://one.example/|One||0|http"});
  EXPECT_EQ(CategoryRows(), QStringList{"Fresh:"});
  ReleaseFile(Categories());
  ReleaseFile(VORNIX());
}

// Export "Selected" remembered a category in VORNIX.INI that has been renamed since: File >
// Export, chosen by its keys, does not offer it, and Enter (OK) is refused with a message;
// the category typed then is the one exported.
TEST_F(ExchangeUserTest, AGoneCategoryIsNotOfferedAndSelectedNeedsACategoryOfTheList) {
  TakeFile(Categories());
  TakeFile(VORNIX());
  ASSERT_EQ(0, AddCategory("Dev Tools"));
  ASSERT_EQ(0, AddSite("http://dev.example/", "Compilers", "Dev Tools"));
  ReleaseFile(VORNIX());
  ReleaseFile(Categories());
  for (auto [key, value] : {std::pair{"Name", "sites.htm"},
                            {"Type", "HTML - Frame"},
                            {"Categories", "Selected"},
                            {"Category", "Dev & Tools"}})
    PUTINI("Export", key, value);
  QString offered, refusal;
  bool typedIntoCategory = false;
  RunProgram([&] {
    user_.WaitForWindow("Browse Locations");
    user_.PressWithAlt(Qt::Key_F);
    user_.Press(Qt::Key_E);
    Window &exporting = user_.WaitForWindow("Export");
    offered = exporting.Find(kExportCategory)->Text();
    user_.Press(Qt::Key_Return);
    refusal = user_.Answer("OK");
    typedIntoCategory = user_.HasFocus(exporting, kExportCategory);
    user_.Type("dev tools");
    user_.Press(Qt::Key_Return);
    user_.Until([this] { return lines_.contains("Processing Records: Process Completed"); }, "the export");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&exporting); });
  });
  EXPECT_EQ("", offered);
  EXPECT_EQ("You must choose a category to export.", refusal);
  EXPECT_TRUE(typedIntoCategory);
  EXPECT_EQ(GETINI("Export", "Category"), "Dev Tools");
  QFile page("sites_m.htm");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("<a href=\"http://dev.example/\">Compilers</a>"));
}

// The merge window opens with the keyboard in its name field; Escape closes it, and the
// Clipboard Monitor too.
TEST_F(ExchangeUserTest, TheMergeWindowTakesTheKeyboardAndEscapeClosesItAndTheMonitor) {
  SETCLIPBOARD(QString());
  bool nameFocused = false;
  RunProgram([&] {
    Window::Frame()->Get<MenuItemControl>(kMenuMerge).Choose();
    Window &merge = user_.WaitForWindow("Import from Vornix Database");
    nameFocused = user_.HasFocus(merge, kImportName);
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&merge); }, "Escape closing the merge window");

    Window::Frame()->Get<MenuItemControl>(kMenuClipboardMonitor).Choose();
    Window &monitor = user_.WaitForWindow("Monitor Clipboard");
    user_.Press(Qt::Key_Escape);
    user_.Until([&] { return user_.Closed(&monitor); }, "Escape closing the monitor");
  });
  EXPECT_TRUE(nameFocused);
}

} // namespace
} // namespace vx::test
