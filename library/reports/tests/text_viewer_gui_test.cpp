#include "library/core/globals.h"
#include "library/core/progress_window.h"
#include "library/reports/text_viewer.h"
#include "library/runtime/windows/controls.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/table_list_control.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"
#include "support/report_driver.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

namespace vx {
namespace {

class TextViewerTest : public test::LibraryTest {
protected:
  TextViewerTest() {
    observer_ = ProgressWindow::SetObserver(
        [this](const QString &, int, const QString &text) { shown_texts_ << text; });
  }
  ~TextViewerTest() override {
    ProgressWindow::SetObserver(std::move(observer_));
    ProgressWindow::SetBatchBudgetMs(budget_);
  }

  void Write(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  // Runs the viewer on a thread of its own while `driver` works its window from another.
  void Run(void (*viewer)(), const QString &caption,
           const std::function<void(Window &, int thread)> &driver) {
    const int thread = START([this, viewer] {
      viewer();
      response_ = GlobalResponse;
    });
    START([&driver, &caption, thread] {
      Window &window = test::AwaitWindow(thread, caption);
      test::WaitFor([&] { return scheduler::WindowsOf(thread).back() == &window; }); // loaded
      driver(window, thread);
    });
    test::RunAllThreads();
  }

  // Opens Find, fills it in and presses Find.
  static void Find(Window &viewer, int thread, const QString &text, bool wholeWord, bool matchCase,
                   const QString &direction = "Down") {
    viewer.Post(EventKind::Accepted, kViewerFind);
    Window &dialog = test::AwaitWindow(thread, "Searching Text...");
    test::WaitFor([&] { return dialog.Get<EntryControl>(kFindText).Text().isEmpty(); });
    dialog.Get<EntryControl>(kFindText).SetText(text);
    dialog.Get<CheckControl>(kFindWholeWord).SetChecked(wholeWord);
    dialog.Get<CheckControl>(kFindWholeWord).Update();
    dialog.Get<CheckControl>(kFindMatchCase).SetChecked(matchCase);
    dialog.Get<CheckControl>(kFindMatchCase).Update();
    dialog.Get<OptionControl>(kFindDirection).SetChoice(direction == "Up" ? 1 : 2);
    dialog.Get<OptionControl>(kFindDirection).Update();
    dialog.Post(EventKind::Accepted, kFindOk);
    test::WaitFor([&] { return scheduler::WindowsOf(thread).back() == &viewer; });
  }

  static TableListControl &List(Window &viewer) { return viewer.Get<TableListControl>(kViewerList); }

  // Writes 80 lines into whatsnew.txt and has printing write to a PDF file, whose name it
  // gives back.
  QString WriteLinesToPrint() {
    QByteArray text;
    for (int i = 1; i <= 80; ++i)
      text += QString("line %1\n").arg(i).toLatin1();
    Write("whatsnew.txt", text);
    test::PrintToAskedFile();
    return QDir::current().filePath("lines.pdf");
  }

  test::TempSetup setup_;
  QStringList shown_texts_;
  ProgressWindow::Observer observer_;
  int budget_ = ProgressWindow::SetBatchBudgetMs(0);
  int response_ = 0;
};

// 50,000 bytes in short lines load in three timer events of 20,000 bytes, the last text
// showing 100% and the byte count; a later focus does not read the file again.
TEST_F(TextViewerTest, WhatsNewLoadsTo100PercentInThreeBatches) {
  QByteArray text;
  for (int i = 0; i < 5000; ++i)
    text += QString("line %1\n").arg(i, 4, 10, QLatin1Char('0')).toLatin1(); // 10 bytes a line
  ASSERT_EQ(50000, text.size());
  Write("whatsnew.txt", text);
  int rows = 0;
  QString last;
  Run(WhatsNew, "What's New", [&](Window &viewer, int) {
    rows = List(viewer).RowCount();
    last = List(viewer).Text();
    viewer.Post(EventKind::GainFocus);
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  EXPECT_EQ(QStringList({" 40% Completed (20000) bytes", " 80% Completed (40000) bytes",
                         "100% Completed (50000) bytes"}),
            shown_texts_);
  EXPECT_EQ(5000, rows);
  EXPECT_TRUE(texts().empty());
  EXPECT_EQ(2, response_);
}

// An empty file gives message 28, a missing one message 26; the list stays empty and off.
TEST_F(TextViewerTest, EmptyAndMissingFilesLeaveAnEmptyList) {
  Write("whatsnew.txt", "");
  bool listOn = true;
  Run(WhatsNew, "What's New", [&](Window &viewer, int) {
    listOn = viewer.Find(kViewerList)->IsEnabled();
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  EXPECT_FALSE(listOn);
  Run(ReadMe, "Using Vornix", [&](Window &viewer, int) {
    EXPECT_EQ(0, List(viewer).RowCount());
    viewer.Post(EventKind::CloseWindow);
  });
  const auto shown = texts();
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("whatsnew.txt File Load Error.  The file you've requested contains no text.", shown[0]);
  EXPECT_TRUE(shown[1].startsWith("readme.txt File Load Error.  Error: ")) << shown[1].toStdString();
}

// Whole words: "log" in "catalog log" does not match (its first occurrence is inside a word),
// nor "abc" in "abcd"; match case off finds "Export" in capitals; an empty search ends at
// once; a search without a match asks once at the end of the file.
TEST_F(TextViewerTest, FindSearchesByWholeWordAndCase) {
  Write("Export.Txt", "catalog log\nabcd\nthe log file\nEXPORT NOTES\nlast line\n");
  std::vector<int> selected;
  answers_ = {BUTTON_NO, BUTTON_NO, BUTTON_YES};
  Run(ExportHelp, "Using Vornix", [&](Window &viewer, int thread) {
    EXPECT_FALSE(viewer.Find(kViewerFindNext)->IsEnabled());
    Find(viewer, thread, "log", true, false);
    selected.push_back(List(viewer).SelectedRow());
    EXPECT_TRUE(viewer.Find(kViewerFindNext)->IsEnabled());
    Find(viewer, thread, "Export", false, false);
    selected.push_back(List(viewer).SelectedRow());
    Find(viewer, thread, "Export", false, true); // no match: asked once, answered No
    selected.push_back(List(viewer).SelectedRow());
    List(viewer).SetSelectedRow(0);
    Find(viewer, thread, "abc", true, false); // asked again, answered No
    selected.push_back(List(viewer).SelectedRow());
    Find(viewer, thread, "", false, false);
    selected.push_back(List(viewer).SelectedRow());
    Find(viewer, thread, "line", false, false, "Up"); // from no line up: wraps to the last
    selected.push_back(List(viewer).SelectedRow());
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  EXPECT_EQ((std::vector<int>{3, 4, 4, 0, 0, 5}), selected);
  const auto shown = texts();
  ASSERT_EQ(3u, shown.size());
  EXPECT_EQ("The end of the viewed file was encountered.  Do you want to start again from the beginning?",
            shown[0]);
  EXPECT_TRUE(shown[2].startsWith("The beginning of the viewed file"));
}

// Cancel while loading asks with message 27; OK stops with the lines read so far.
TEST_F(TextViewerTest, CancelKeepsTheLinesReadSoFar) {
  QByteArray text;
  for (int i = 0; i < 20000; ++i)
    text += "a line of text\n";
  Write("readme.txt", text);
  int rows = 0;
  answers_ = {BUTTON_OK};
  const int thread = START([] { ReadMe(); });
  START([&] {
    Window &progress = test::AwaitWindow(thread, "Reading File");
    test::WaitFor([&] { return !shown_texts_.isEmpty(); });
    progress.Post(EventKind::Accepted, ProgressWindow::kCancel);
    Window &viewer = test::AwaitWindow(thread, "Using Vornix");
    test::WaitFor([&] { return scheduler::WindowsOf(thread).back() == &viewer; });
    rows = List(viewer).RowCount();
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  test::RunAllThreads();
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, 20000);
  ASSERT_FALSE(texts().empty());
  EXPECT_EQ("Are you certain you want to stop loading readme.txt?", texts()[0]);
}

// Escape, typed where the keyboard is, closes the Find dialog as its Cancel does and then
// the viewer as its Close does.
TEST_F(TextViewerTest, EscapeClosesTheFindDialogAndTheViewer) {
  Write("whatsnew.txt", "one\ntwo\n");
  bool findNextOff = false;
  Run(WhatsNew, "What's New", [&](Window &viewer, int thread) {
    viewer.Post(EventKind::Accepted, kViewerFind);
    Window &dialog = test::AwaitWindow(thread, "Searching Text...");
    QWidget *entry = dialog.Find(kFindText)->Widget();
    test::WaitFor([&] { return entry->hasFocus(); });
    QTest::keyClicks(entry, "two");
    QTest::keyClick(entry, Qt::Key_Escape);
    test::WaitFor([&] { return scheduler::WindowsOf(thread).back() == &viewer; });
    findNextOff = !viewer.Find(kViewerFindNext)->IsEnabled();
    QTest::keyClick(List(viewer).Widget(), Qt::Key_Escape);
  });
  EXPECT_TRUE(findNextOff);
  EXPECT_EQ(2, response_);
}

// Print prints every line, 35 to a page.
TEST_F(TextViewerTest, PrintPrintsEveryLine) {
  const QString pdf = WriteLinesToPrint();
  const FileDialogHandler previous =
      SetFileDialogHandler([&](const FileDialogRequest &) { return std::optional(pdf); });
  Run(WhatsNew, "What's New", [&](Window &viewer, int) {
    viewer.Post(EventKind::Accepted, kViewerPrint);
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  SetFileDialogHandler(previous);
  EXPECT_EQ(3, test::PdfPageCount(pdf));
}

// A print whose pages cannot be kept, because the temporary folder cannot be made or a page
// file cannot be written, says why and prints nothing rather than a part of the lines.
TEST_F(TextViewerTest, PrintThatCannotKeepItsPagesSaysWhyAndPrintsNothing) {
  const QString pdf = WriteLinesToPrint();
  const FileDialogHandler previous =
      SetFileDialogHandler([&](const FileDialogRequest &) { return std::optional(pdf); });
  const QByteArray previousTemp = qgetenv("TMPDIR");
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const auto previousSignal = ::signal(SIGXFSZ, SIG_IGN);
  Run(WhatsNew, "What's New", [&](Window &viewer, int) {
    qputenv("TMPDIR", QDir::current().filePath("whatsnew.txt").toLocal8Bit()); // no folder
    viewer.Post(EventKind::Accepted, kViewerPrint);
    test::WaitFor([&] { return shown_.size() == 1; });
    qputenv("TMPDIR", QDir::currentPath().toLocal8Bit());
    // Page files larger than 100 bytes cannot be written, as on a full disk.
    const rlimit small{100, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    viewer.Post(EventKind::Accepted, kViewerPrint);
    test::WaitFor([&] { return shown_.size() == 2; });
    ::setrlimit(RLIMIT_FSIZE, &limit);
    viewer.Post(EventKind::Accepted, kViewerClose);
  });
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, previousSignal);
  qputenv("TMPDIR", previousTemp);
  SetFileDialogHandler(previous);
  ASSERT_EQ(2u, shown_.size());
  for (const MessageRequest &shown : shown_)
    EXPECT_EQ("Report Error", shown.caption);
  EXPECT_TRUE(shown_[0].text.contains("the temporary folder ")) << shown_[0].text.toStdString();
  EXPECT_TRUE(shown_[1].text.contains("page 1 could not be written to ")) << shown_[1].text.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
} // namespace vx
