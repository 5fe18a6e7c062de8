// The export run: its progress and batches, the choice of sites, and every way it can end
// early, which must leave the files of an earlier export as they were and no partial file.

#include "library/exchange/export/export_process.h"
#include "library/runtime/windows/message_box.h"
#include "support/export_fixture.h"
#include "support/recording_progress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace vx::test {
namespace {

void WriteFile(const QString &name, const QByteArray &data) {
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(data);
}

class ExportProcessTest : public LibraryTest {
protected:
  ExportProcessTest() {
    TakeAll();
    FillExportFixture();
  }
};

TEST_F(ExportProcessTest, ShowsProgressAndWritesAtMostTwentyFiveSitesABatch) {
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(AddSite(QStringLiteral("http://more.example/%1").arg(i, 2, 10, QChar(u'0')), "More", "More"),
              0);
  RecordingProgress progress;
  ExportProcess process(AllOf("Comma-Delimited", "sites.csv"), progress);
  int steps = 0;
  while (process.Step())
    ++steps;
  EXPECT_EQ(steps, 3); // the header and the first site read; 25 sites; 25 sites; the last 4 and the end
  EXPECT_EQ(process.Finish(), 1);
  EXPECT_EQ(progress.texts, QStringList({"Processing Records", "Exporting"}));
  EXPECT_EQ(progress.lines.first(), "0% Completed");
  EXPECT_EQ(progress.lines[1], "  1% Completed");
  EXPECT_EQ(progress.lines.last(), "Process Completed");
  EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
  EXPECT_EQ(std::adjacent_find(progress.lines.begin(), progress.lines.end()), progress.lines.end());
  EXPECT_EQ(ReadOutput("sites.csv").count(u'\n'), 54);
}

TEST_F(ExportProcessTest, SelectedCategoryInDescriptionOrder) {
  ExportSettings settings = AllOf("Comma-Delimited", "news.csv");
  settings.Categories = "Selected";
  settings.Category = "NEWS";
  settings.Order = "Description";
  settings.SiteInfo = 0;
  ASSERT_EQ(RunExport(settings), 1);
  EXPECT_EQ(ReadOutput("news.csv"),
            "\"News\",\"http://news.example/b\",\"\",0\n"
            "\"News\",\"http://news.example/a?x=1&y=\"\"2\"\"&z=<3>\",\"He said \"\"hi\"\"\",5\n"
            "\"news\",\"http://news.example/c\",\"Wire, \"\"quoted\"\"\",-2\n");
}

TEST_F(ExportProcessTest, UnknownTypeWritesAnEmptyFile) {
  ASSERT_EQ(RunExport(AllOf("", "sites.htm")), 1);
  EXPECT_EQ(ReadOutput("sites.htm"), "");
}

TEST_F(ExportProcessTest, CancelLeavesTheEarlierExportAsItWas) {
  WriteFile("sites.htm", "earlier export\n");
  RecordingProgress progress(0);
  EXPECT_EQ(RunExport(AllOf("HTML - Frame", "sites.htm"), &progress), 2);
  EXPECT_EQ(ReadOutput("sites.htm"), "earlier export\n");
  EXPECT_EQ(OutputFiles(), "sites.htm");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(ExportProcessTest, FailedWriteStopsTheRunAndLeavesNoPartialOutput) {
  WriteFile("table.htm", "earlier export\n");
  // Writes past 2 000 bytes fail as they would on a full disk.
  const sighandler_t previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{2000, limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  const int response = RunExport(AllOf("HTML - Table", "table.htm"));
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, previous);

  EXPECT_EQ(response, 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "Error adding to table.htm: File too large");
  EXPECT_EQ(shown_[0].buttons, BUTTON_ABORT | BUTTON_IGNORE);
  EXPECT_EQ(ReadOutput("table.htm"), "earlier export\n");
  EXPECT_EQ(OutputFiles(), "table.htm");
}

// A name that cannot be created is a mistyped name, not a damaged file: message 30 names it
// and the run ends, with no question that could end the program.
TEST_F(ExportProcessTest, OutputThatCannotBeCreatedIsShownAndEndsTheRun) {
  EXPECT_EQ(RunExport(AllOf("ASCII", "missing/sites.txt")), 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "File Access Error");
  EXPECT_EQ(shown_[0].buttons, BUTTON_OK);
  EXPECT_EQ(shown_[0].text, "File (missing/sites.txt) could not be opened.  Error: File Not Found (2).");

  ASSERT_TRUE(QDir().mkdir("folder.htm"));
  shown_.clear();
  EXPECT_EQ(RunExport(AllOf("HTML - Simple", "folder.htm")), 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "File (folder.htm) could not be opened.  Error: Is a directory (21).");
  EXPECT_EQ(OutputFiles(), "");
}

// A link planted under the export's name is replaced by the export, never written through,
// and the new file gets the mode of the user's umask.
TEST_F(ExportProcessTest, PlantedLinkIsReplacedAndItsTargetLeftAlone) {
  QTemporaryDir outside;
  const QString victim = outside.filePath("victim");
  WriteFile(victim, "someone else's file\n");
  ASSERT_TRUE(QFile::link(victim, "sites.txt"));
  const mode_t previousMask = ::umask(027);
  EXPECT_EQ(RunExport(AllOf("ASCII", "sites.txt")), 1);
  ::umask(previousMask);
  EXPECT_FALSE(QFileInfo("sites.txt").isSymLink());
  EXPECT_EQ(QFileInfo("sites.txt").permissions(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
  EXPECT_TRUE(ReadOutput("sites.txt").contains("http://news.example/b"));
  QFile target(victim);
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_EQ(target.readAll(), "someone else's file\n");
}

// abcdefgm.htm has an eight-character file part, so its base is abcdefg and its first
// category page would be abcdefgm.htm itself.
TEST_F(ExportProcessTest, FrameRefusesSideFilesThatWouldOverwriteTheMainOutput) {
  WriteFile("abcdefgm.htm", "earlier export\n");
  EXPECT_EQ(RunExport(AllOf("HTML - Frame", "abcdefgm.htm")), 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Export");
  EXPECT_TRUE(shown_[0].text.startsWith("The frame page abcdefgm.htm would overwrite abcdefgm.htm"))
      << shown_[0].text.toStdString();
  EXPECT_EQ(ReadOutput("abcdefgm.htm"), "earlier export\n");
  EXPECT_EQ(OutputFiles(), "abcdefgm.htm");
}

} // namespace
} // namespace vx::test
