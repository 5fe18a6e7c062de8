#include "library/core/dictionary.h"
#include "library/core/globals.h"
#include "library/core/progress_window.h"
#include "library/reports/print_report.h"
#include "library/reports/report_preview.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/report/page_image.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/page_image_control.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "library/runtime/windows/window_bars.h"
#include "support/gui_support.h"
#include "support/library_fixture.h"
#include "support/report_driver.h"

#include <QDir>
#include <QFontMetricsF>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx {
namespace {

class PrintReportTest : public test::LibraryTest {
protected:
  PrintReportTest() {
    test::PrintToAskedFile();
    previousFileDialog_ = SetFileDialogHandler([this](const FileDialogRequest &request) {
      ++fileDialogs_;
      EXPECT_TRUE(request.save);
      return std::optional<QString>(pdf_);
    });
  }
  ~PrintReportTest() override { SetFileDialogHandler(std::move(previousFileDialog_)); }

  void AddSites(int count, const QString &location = QStringLiteral("http://site%1.example/")) {
    TakeFile(Categories());
    TakeFile(VORNIX());
    LOGOUT(1, {&Categories(), &VORNIX()});
    ASSERT_EQ(0, test::AddCategory("News"));
    for (int i = 1; i <= count; ++i)
      ASSERT_EQ(0, test::AddSite(location.arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("Site %1").arg(i),
                                 "News", i % 10, "http"));
    COMMIT();
    ReleaseFile(VORNIX());
    ReleaseFile(Categories());
  }

  // Runs the report on a thread of its own and `driver` on another; both must end.
  void Run(void (*report)(), const std::function<void(int thread)> &driver) {
    const int thread = START([this, report] {
      report();
      response_ = GlobalResponse;
    });
    START([&driver, thread] { driver(thread); });
    test::RunAllThreads();
  }

  // A run in batches of 25 records, with the report's folder in a temporary folder of its
  // own and the percentage last shown kept in `percent`; all is put back as it ends.
  struct BatchedRun {
    BatchedRun() : budget(ProgressWindow::SetBatchBudgetMs(0)), previousTemp(qgetenv("TMPDIR")) {
      qputenv("TMPDIR", temp.path().toLocal8Bit());
      observer = ProgressWindow::SetObserver(
          [this](const QString &, int shown, const QString &) { percent = shown; });
    }
    ~BatchedRun() {
      ProgressWindow::SetObserver(observer);
      ProgressWindow::SetBatchBudgetMs(budget);
      qputenv("TMPDIR", previousTemp);
    }
    QTemporaryDir temp;
    int budget;
    QByteArray previousTemp;
    ProgressWindow::Observer observer;
    int percent = 0;
  };

  // The report folders in the temporary folder, which is made private to the test, since
  // tests running beside it make theirs too.
  static int ReportFolders() {
    return int(QDir(QDir::tempPath()).entryList({"vornix-report-*"}, QDir::Dirs).size());
  }

  test::TempSetup setup_;
  QString pdf_ = QDir(dir_.path()).filePath("report.pdf");
  int fileDialogs_ = 0;
  int response_ = 0;
  FileDialogHandler previousFileDialog_;
};

// 14 sites fill a page of the site reports: the 15th starts page 2, whose foot reads
// "Page 2" where the layout puts the page number. Print in the preview prints both pages.
TEST_F(PrintReportTest, FifteenSitesMakeTwoPagesNumberedAtTheirFootAndPrintFromThePreview) {
  AddSites(15);
  QStringList first, second;
  std::optional<PageOp> number;
  QString pageText;
  Run(PrintURLByLocation, [&](int thread) {
    Window &preview = test::AwaitWindow(thread, "Report Preview");
    const QString page1 = preview.Get<PageImageControl>(kThumbnailImage).Text();
    first = test::PageTexts(page1);
    pageText = preview.Bars().ZoneText(2);
    preview.Post(EventKind::Accepted, kPreviewNext);
    test::WaitFor([&] { return preview.Bars().ZoneText(2) == "Page 2 of 2"; });
    const QString page2 = preview.Get<PageImageControl>(kThumbnailImage).Text();
    second = test::PageTexts(page2);
    number = test::FindText(page2, "Page ");
    preview.Post(EventKind::Accepted, kPreviewPrint);
  });
  EXPECT_EQ("Page 1 of 2", pageText);
  ASSERT_FALSE(first.isEmpty());
  EXPECT_EQ("URLs by Location", first.front());
  for (const char *heading : {"Location", "Category", "Rating", "Description", "Keyword"})
    EXPECT_TRUE(first.contains(heading)) << heading;
  EXPECT_EQ(14, first.filter("http://site").size());
  EXPECT_TRUE(first.contains("Page 1"));
  EXPECT_EQ(QStringList{"http://site015.example/"}, second.filter("http://site"));
  ASSERT_TRUE(number);
  EXPECT_EQ("Page 2", number->text);
  EXPECT_EQ(QRect(6250, 9030, 700, 135), number->rect);
  EXPECT_EQ(1, fileDialogs_);
  EXPECT_EQ(2, test::PdfPageCount(pdf_));
  EXPECT_EQ(1, response_);
}

// A location longer than its column prints cut to the whole characters that fit the column,
// and the category beside it keeps its own place.
TEST_F(PrintReportTest, ALongLocationIsCutToItsColumn) {
  const QString longLocation = "http://long.example/" + QString(130, 'w') + "/%1";
  AddSites(1, longLocation);
  std::optional<PageOp> location, category;
  Run(PrintURLByLocation, [&](int thread) {
    Window &preview = test::AwaitWindow(thread, "Report Preview");
    const QString page = preview.Get<PageImageControl>(kThumbnailImage).Text();
    location = test::FindText(page, "http://long.example/");
    category = test::FindText(page, "News");
    preview.Post(EventKind::Accepted, kPreviewExit);
  });
  ASSERT_TRUE(location && category);
  EXPECT_LT(location->text.size(), 100);
  EXPECT_TRUE(longLocation.startsWith(location->text));
  EXPECT_EQ(QRect(1052, 1772, 4396, 167), location->rect);
  const QFontMetricsF metrics(QFontOf(PageFont{"Arial", 100}));
  EXPECT_LE(metrics.horizontalAdvance(location->text), 4396);
  EXPECT_EQ(1000 + 4469, category->rect.x());
  EXPECT_EQ(0, fileDialogs_); // Exit prints nothing
  EXPECT_EQ(1, response_);
}

// Cancel during generation ends the run: no preview, nothing printed, the pages made so far
// are gone, and the answer is 2.
TEST_F(PrintReportTest, CancelPrintsNothingAndDiscardsThePages) {
  AddSites(300);
  BatchedRun batched;
  EXPECT_EQ(0, ReportFolders());
  int foldersDuring = 0;
  Run(PrintURLByRating, [&](int thread) {
    Window &progress = test::AwaitWindow(thread, "Generating Report");
    test::WaitFor([&] { return batched.percent >= 20; });
    foldersDuring = ReportFolders();
    progress.Post(EventKind::Accepted, ProgressWindow::kCancel);
  });
  EXPECT_LT(batched.percent, 100);
  EXPECT_EQ(0, fileDialogs_);
  EXPECT_FALSE(QFile::exists(pdf_));
  EXPECT_EQ(1, foldersDuring);
  EXPECT_EQ(0, ReportFolders());
  EXPECT_EQ(2, response_);
}

// A page that cannot be kept (here the report's folder is taken away in the middle of the
// run, as a full or vanished temporary folder does) ends the run with a message that says
// why: no preview of the pages made before it, nothing printed, and the answer is 2.
TEST_F(PrintReportTest, APageThatCannotBeKeptEndsTheRunWithAMessage) {
  AddSites(300);
  BatchedRun batched;
  bool previewed = false;
  Run(PrintURLByLocation, [&](int thread) {
    test::AwaitWindow(thread, "Generating Report");
    test::WaitFor([&] { return batched.percent >= 20; });
    const QDir temp(batched.temp.path());
    for (const QString &folder : temp.entryList({"vornix-report-*"}, QDir::Dirs))
      QDir(temp.filePath(folder)).removeRecursively();
    test::WaitFor([&] { return !shown_.empty() || test::WindowTitled(thread, "Report Preview"); });
    if (Window *preview = test::WindowTitled(thread, "Report Preview")) {
      previewed = true;
      preview->Post(EventKind::Accepted, kPreviewPrint);
    }
  });
  EXPECT_FALSE(previewed);
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Report Error", shown_[0].caption);
  EXPECT_TRUE(shown_[0].text.startsWith("The report was stopped, and nothing was printed: page "))
      << shown_[0].text.toStdString();
  EXPECT_TRUE(shown_[0].text.contains("could not be written to ")) << shown_[0].text.toStdString();
  EXPECT_LT(batched.percent, 100);
  EXPECT_EQ(0, fileDialogs_);
  EXPECT_FALSE(QFile::exists(pdf_));
  EXPECT_EQ(2, response_);
}

// A file without records: the progress window opens and closes, no preview shows, nothing
// prints, and the answer is 2; the Categories report over no category likewise.
TEST_F(PrintReportTest, AnEmptyFileShowsNoPreviewAndPrintsNothing) {
  AddSites(0);
  Run(PrintURLByDescription, [](int) {});
  EXPECT_EQ(2, response_);
  TakeFile(Categories());
  CLEAR(Categories());
  CAT().Category = "News";
  GET(Categories().K_Category);
  DELETE(Categories());
  ReleaseFile(Categories());
  Run(PrintCATByCategory, [](int) {});
  EXPECT_EQ(2, response_);
  EXPECT_EQ(0, fileDialogs_);
}

// The Categories report prints each category with its description broken into lines; a
// long description makes its band taller, and the rule under it moves down with it.
TEST_F(PrintReportTest, CategoriesReportWrapsLongDescriptions) {
  TakeFile(Categories());
  ASSERT_EQ(0, test::AddCategory("Arts"));
  test::ReadCategory("Arts");
  CAT().Description = QString("A description long enough to need several lines in its box. ").repeated(4);
  PUT(Categories());
  ASSERT_EQ(0, test::AddCategory("News"));
  ReleaseFile(Categories());
  std::vector<PageOp> ops;
  Run(PrintCATByCategory, [&](int thread) {
    Window &preview = test::AwaitWindow(thread, "Report Preview");
    const auto page = PageImage::Load(preview.Get<PageImageControl>(kThumbnailImage).Text());
    if (page)
      ops = page->Ops();
    preview.Post(EventKind::Accepted, kPreviewExit);
  });
  int descriptionLines = 0, newsY = 0;
  for (const PageOp &op : ops) {
    if (op.kind == PageOp::Text && op.rect.x() == 1000 + 2427)
      ++descriptionLines;
    if (op.kind == PageOp::Text && op.text == "News")
      newsY = op.rect.y();
  }
  EXPECT_GE(descriptionLines, 3);
  EXPECT_GT(newsY, 1540 + 365 + 52); // the second band starts below the grown first one
}

} // namespace
} // namespace vx
