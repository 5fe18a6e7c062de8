// Every kind of file the run-time writes (data files and their transaction file, line files,
// whole-file rewrites such as the INI) gets the mode of the user's umask and is never written
// through a symbolic link planted under its name.
#include "library/runtime/data/atomic_file.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/line_file.h"
#include "support/sample_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vx::test {
namespace {

class WrittenFilesTest : public ::testing::Test {
protected:
  WrittenFilesTest() : previousMask_(::umask(007)) {
    QFile victim(victim_.filePath("victim"));
    EXPECT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("untouched\n");
  }
  ~WrittenFilesTest() override { ::umask(previousMask_); }

  QString path(const char *name) const { return dir_.path() + "/" + name; }
  static mode_t ModeOf(const QString &file) {
    struct stat st {};
    return ::lstat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  // Plants a link named `name` in the data folder, pointing at a file outside it.
  void Plant(const char *name) { ASSERT_TRUE(QFile::link(victim_.filePath("victim"), path(name))); }
  QByteArray Victim() const {
    QFile victim(victim_.filePath("victim"));
    return victim.open(QIODevice::ReadOnly) ? victim.readAll() : QByteArray();
  }

  TempWorkDir dir_;
  QTemporaryDir victim_;
  mode_t previousMask_;
};

TEST_F(WrittenFilesTest, NewFilesTakeTheUmask) {
  CREATE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(AddSample("a", "g", 1), 0);
  CLOSE(Sample());
  EXPECT_EQ(ModeOf(path("SAMPLE.KYF")), 0660u);
  EXPECT_EQ(ModeOf(path("KEYFILES.TXN")), 0660u);

  LineFile lines(path("lines.txt"), 80);
  lines.CREATE();
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(ModeOf(path("lines.txt")), 0660u);

  ASSERT_TRUE(WriteFileAtomically(path("whole.ini"), "[Main]\n"));
  EXPECT_EQ(ModeOf(path("whole.ini")), 0660u);
  // A file rewritten keeps the mode its owner gave it.
  ASSERT_EQ(::chmod(QFile::encodeName(path("whole.ini")).constData(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomically(path("whole.ini"), "[Main]\nA=1\n"));
  EXPECT_EQ(ModeOf(path("whole.ini")), 0600u);
}

TEST_F(WrittenFilesTest, PlantedLinksAreNeverWrittenThrough) {
  Plant("SAMPLE.KYF");
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 90);
  EXPECT_FALSE(Sample().isOpen());

  Plant("lines.txt");
  LineFile lines(path("lines.txt"), 80);
  lines.CREATE();
  EXPECT_EQ(ERRORCODE(), 90);
  lines.OPEN(LineFile::Access::ReadWrite);
  EXPECT_EQ(ERRORCODE(), 90);

  // A whole-file rewrite replaces the link itself, with the mode of a new file.
  Plant("whole.ini");
  ASSERT_TRUE(WriteFileAtomically(path("whole.ini"), "[Main]\n"));
  EXPECT_EQ(ModeOf(path("whole.ini")), 0660u);

  // CREATE replaces a link at the data file's name; its transaction file refuses one.
  QFile::remove(path("SAMPLE.KYF"));
  Plant("SAMPLE.KYF");
  CREATE(Sample());
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(ModeOf(path("SAMPLE.KYF")), 0660u);
  Plant("KEYFILES.TXN");
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 90);

  EXPECT_EQ(Victim(), "untouched\n");
}

// A second copy of the program that finds the file missing and creates it keeps the file a
// first copy made meanwhile, with the records the first copy already wrote.
TEST_F(WrittenFilesTest, CreatingAFileAnotherCopyMadeKeepsItsRecords) {
  CREATE(Sample());
  OPEN(Sample());
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  CLOSE(Sample());
  CREATE(Sample(), CreateMode::KeepExisting);
  EXPECT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  EXPECT_EQ(RECORDS(Sample()), 1);
  CLOSE(Sample());
  QFile::remove(path("SAMPLE.KYF"));
  CREATE(Sample(), CreateMode::KeepExisting);
  EXPECT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(RECORDS(Sample()), 0);
  CLOSE(Sample());
}

} // namespace
} // namespace vx::test
