#include "library/runtime/report/page_queue.h"
#include "library/runtime/report/report.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/printer.h"
#include "support/run_threads.h"
#include "support/scripted_messages.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx {
namespace {

// A report whose detail area holds three bands of 300, with a header and a numbered footer.
struct Sample {
  QString value;
  QString memo;
  ReportStructure Structure() {
    ReportStructure s;
    s.name = "SAMPLE$REPORT";
    s.header = ReportBand{};
    s.header->at = QRect(1000, 500, 6000, 300);
    s.header->String("Title", QRect(0, 0, 6000, 200));
    s.footer = ReportBand{};
    s.footer->at = QRect(1000, 2500, 6000, 200);
    s.footer->PageNumber("pPage <<<#p", QRect(5000, 0, 1000, 150));
    s.detailArea = QRect(1000, 1000, 6000, 900);
    s.detail.at = QRect(0, 0, 6000, 300);
    s.detail.Field([this] { return value; }, "S10", QRect(0, 0, 2000, 167))
        .Memo([this] { return memo; }, QRect(2000, 0, 2000, 170))
        .Line(QRect(0, 250, 6000, 0))
        .Line(QRect(1990, 0, 0, 300));
    return s;
  }
};

std::vector<PageOp> Ops(const QString &file) {
  const auto page = PageImage::Load(file);
  return page ? page->Ops() : std::vector<PageOp>{};
}

QStringList Texts(const QString &file) {
  QStringList texts;
  for (const PageOp &op : Ops(file)) {
    if (op.kind == PageOp::Text)
      texts << op.text;
  }
  return texts;
}

// Fails the test when the report asks where to print.
class NoPrinting {
public:
  NoPrinting()
      : previous_(SetFileDialogHandler([](const FileDialogRequest &) -> std::optional<QString> {
          ADD_FAILURE() << "the report printed";
          return std::nullopt;
        })) {
    SharedPrinter().setOutputFormat(QPrinter::PdfFormat);
    SharedPrinter().setOutputFileName(QString());
  }
  ~NoPrinting() { SetFileDialogHandler(std::move(previous_)); }

private:
  FileDialogHandler previous_;
};

// Seven bands at three a page make three pages, each with its header and its page number;
// the queue names them in order. Closing without the print flag discards them.
TEST(Report, BreaksPagesWhenTheDetailAreaIsFullAndDiscardsUnprintedPages) {
  NoPrinting guard;
  Sample sample;
  PageQueue queue;
  Report report(sample.Structure());
  ASSERT_TRUE(report.Open());
  report.SetPreviewQueue(&queue);
  for (int i = 1; i <= 7; ++i) {
    sample.value = QString("Record %1 with a long tail").arg(i);
    report.Print();
  }
  report.EndPage();
  ASSERT_EQ(3, queue.Records());
  EXPECT_EQ(QStringList({"Title", "Record 1 w", "Record 2 w", "Record 3 w", "Page 1"}), Texts(queue.Get(1)));
  EXPECT_EQ(QStringList({"Title", "Record 7 w", "Page 3"}), Texts(queue.Get(3)));
  const QString folder = QFileInfo(queue.Get(1)).path();
  EXPECT_TRUE(report.Close());
  EXPECT_FALSE(QFileInfo::exists(folder));
}

// A memo that needs more lines than its box makes its band taller: the rule below moves
// down, the line beside it grows, and the next band starts below.
TEST(Report, AMemoGrowsItsBand) {
  NoPrinting guard;
  Sample sample;
  PageQueue queue;
  ReportStructure structure = sample.Structure();
  structure.detailArea.setHeight(1400);
  Report report(std::move(structure));
  ASSERT_TRUE(report.Open());
  report.SetPreviewQueue(&queue);
  sample.value = "first";
  sample.memo = "many words that cannot possibly fit on one line of a box two inches wide at all";
  report.Print();
  sample.value = "second";
  sample.memo.clear();
  report.Print();
  report.EndPage();
  ASSERT_EQ(1, queue.Records());
  int memoLines = 0, ruleY = 0, sideHeight = 0, secondY = 0;
  for (const PageOp &op : Ops(queue.Get(1))) {
    if (op.kind == PageOp::Text && op.rect.x() == 3000)
      ++memoLines;
    if (op.kind == PageOp::Line && op.rect.top() == op.rect.bottom() && !ruleY)
      ruleY = op.rect.top();
    if (op.kind == PageOp::Line && op.rect.left() == 2990 && !sideHeight)
      sideHeight = op.rect.bottom() - op.rect.top();
    if (op.kind == PageOp::Text && op.text == "second")
      secondY = op.rect.y();
  }
  EXPECT_GE(memoLines, 3);
  const int growth = ruleY - (1000 + 250);
  EXPECT_GT(growth, 0);
  EXPECT_EQ(300 + growth, sideHeight);
  EXPECT_EQ(1000 + 300 + growth, secondY);
  report.Close();
}

// With the print flag set, closing prints the pages, here to the PDF file the user names.
TEST(Report, PrintsThePagesWhenAskedToAtClose) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("out.pdf");
  SharedPrinter().setOutputFormat(QPrinter::PdfFormat);
  SharedPrinter().setOutputFileName(QString());
  test::ScriptedDialogs dialogs(nullptr, nullptr,
                                [&](const FileDialogRequest &) { return std::optional(pdf); });
  Sample sample;
  PageQueue queue;
  Report report(sample.Structure());
  ASSERT_TRUE(report.Open());
  report.SetPreviewQueue(&queue);
  for (int i = 0; i < 4; ++i)
    report.Print();
  report.SetPrintPreviewed(true);
  EXPECT_TRUE(report.Close()); // the last page is finished by the close
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  static const QRegularExpression page("/Type\\s*/Page(?![a-zA-Z])");
  EXPECT_EQ(2, QString::fromLatin1(file.readAll()).count(page));
}

// A PDF file that cannot be written is reported, never taken for a print.
TEST(Report, APrintThatFailsSaysSo) {
  SharedPrinter().setOutputFormat(QPrinter::PdfFormat);
  SharedPrinter().setOutputFileName(QString());
  test::ScriptedDialogs dialogs(nullptr, nullptr, [](const FileDialogRequest &) {
    return std::optional<QString>("/nonexistent/folder/out.pdf");
  });
  test::ScriptedMessages messages;
  Sample sample;
  Report report(sample.Structure());
  ASSERT_TRUE(report.Open());
  report.Print();
  EXPECT_FALSE(report.Close()); // no preview queue: the close prints
  ASSERT_EQ(1u, messages.shown().size());
  EXPECT_EQ("Print Error", messages.shown()[0].caption);
  EXPECT_TRUE(
      messages.shown()[0].text.startsWith("The report could not be printed: /nonexistent/folder/out.pdf"));
}

// A file chosen in the printer set-up is written without a dialog: once written, the user
// is told where it went.
TEST(Report, APrintToTheFileOfThePrinterSetUpSaysWhereItWent) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath("print.pdf");
  SharedPrinter().setOutputFormat(QPrinter::PdfFormat);
  SharedPrinter().setOutputFileName(pdf);
  test::ScriptedDialogs dialogs(nullptr, nullptr, [](const FileDialogRequest &) -> std::optional<QString> {
    ADD_FAILURE() << "the set-up's file was asked for again";
    return std::nullopt;
  });
  test::ScriptedMessages messages;
  Sample sample;
  Report report(sample.Structure());
  ASSERT_TRUE(report.Open());
  report.Print();
  EXPECT_TRUE(report.Close());
  SharedPrinter().setOutputFileName(QString());
  EXPECT_TRUE(QFileInfo(pdf).size() > 0);
  ASSERT_EQ(1u, messages.shown().size());
  EXPECT_EQ("Print", messages.shown()[0].caption);
  EXPECT_EQ("The report was printed to the file " + pdf + ".", messages.shown()[0].text);
}

// The page files go into the folder TMPDIR names, and nowhere else: a folder that cannot be
// used is reported by its name and the system's cause, and the file system's root is never
// used, as it once was in place of a missing folder.
TEST(Report, ATemporaryFolderThatCannotBeUsedIsNamedWithItsCause) {
  QTemporaryDir dir;
  const QByteArray previous = qgetenv("TMPDIR");
  const auto failureWith = [](const QString &tmpdir) {
    qputenv("TMPDIR", tmpdir.toLocal8Bit());
    Sample sample;
    Report report(sample.Structure());
    const bool opened = report.Open();
    EXPECT_EQ(opened, !report.failed());
    return report.failure();
  };
  const QString missing = dir.filePath("missing");
  EXPECT_EQ("the temporary folder " + missing + " could not be used: No such file or directory",
            failureWith(missing));
  EXPECT_EQ("the temporary folder / could not be used: it is the file system's root", failureWith("/"));
  const QString root = dir.filePath("root");
  ASSERT_TRUE(QFile::link("/", root));
  EXPECT_EQ("the temporary folder " + root + " could not be used: it is the file system's root",
            failureWith(root));
  EXPECT_EQ("", failureWith(dir.path()));
  qputenv("TMPDIR", previous);
  if (previous.isEmpty())
    qunsetenv("TMPDIR");
}

TEST(Report, FitTextKeepsTheWholeCharactersThatFit) {
  const QFontMetricsF metrics(QFontOf(PageFont{"Arial", 100}));
  const QString text = "http://www.example.com/a/rather/long/path/that/goes/on";
  const QString cut = FitText(text, metrics, 1500);
  EXPECT_TRUE(text.startsWith(cut));
  EXPECT_LE(metrics.horizontalAdvance(cut), 1500);
  EXPECT_GT(metrics.horizontalAdvance(text.left(cut.size() + 1)), 1500);
  EXPECT_EQ(text, FitText(text, metrics, 100000));
  EXPECT_EQ("", FitText(text, metrics, 0));
}

} // namespace
} // namespace vx
