#include "library/runtime/data/ini_file.h"

#include "support/temp_config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vx {
namespace {

class IniFileTest : public ::testing::Test {
protected:
  QString iniPath() const { return config_.vornixFolder() + "/VORNIX.INI"; }

  void writeRaw(const QByteArray &bytes) {
    QDir().mkpath(config_.vornixFolder());
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }

  QByteArray readRaw() const {
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  test::TempConfig config_;
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreated) {
  EXPECT_EQ(GETINI("Main", "Version"), QString());
  EXPECT_EQ(GETINI("Main", "Version", "0"), "0");
  EXPECT_FALSE(QFileInfo::exists(iniPath()));
  EXPECT_EQ(IniFilePath(), iniPath());
}

TEST_F(IniFileTest, WritesAndReadsNamesWithColonsAndQuestionMarks) {
  const QString format = "107L|M~Description~@S100@89L|M~Location~@S255@";
  PUTINI("BrowseURL:K_Category", "?Browse:1", format);
  PUTINI("BrowseURL:K_Category", "XPosit", "12");
  EXPECT_EQ(GETINI("BrowseURL:K_Category", "?Browse:1"), format);
  EXPECT_EQ(GETINI("browseurl:k_category", "?BROWSE:1"), format);
  EXPECT_EQ(GETINI("BrowseURL:K_Category", "XPosit"), "12");
  EXPECT_EQ(readRaw(), "[BrowseURL:K_Category]\n?Browse:1=" + format.toUtf8() + "\nXPosit=12\n");
}

TEST_F(IniFileTest, CaseVariantsUpdateTheExistingEntryAndKeepOtherLines) {
  writeRaw("; settings\r\n[Main]\r\nVersion = 1.4\r\nnot an entry\r\n\r\n[Other]\r\nA=1\r\n");
  EXPECT_EQ(GETINI("MAIN", "version"), "1.4");
  PUTINI("main", "VERSION", "1.5");
  PUTINI("MAIN", "XPosit", "7");
  EXPECT_EQ(readRaw(), "; settings\n[Main]\nVersion=1.5\nnot an entry\nXPosit=7\n\n[Other]\nA=1\n");
  EXPECT_EQ(GETINI("Other", "a"), "1");
}

TEST_F(IniFileTest, ValuesReadBackAsWritten) {
  PUTINI("S", "Blanks", "  padded  ");
  PUTINI("S", "Quoted", "\"quoted\"");
  PUTINI("S", "Empty", "");
  PUTINI("S", "Equals", "a=b;c");
  PUTINI("S", "Accent", QString::fromUtf8("Caf\xc3\xa9"));
  EXPECT_EQ(GETINI("S", "Blanks", "x"), "  padded  ");
  EXPECT_EQ(GETINI("S", "Quoted", "x"), "\"quoted\"");
  EXPECT_EQ(GETINI("S", "Empty", "x"), "");
  EXPECT_EQ(GETINI("S", "Equals"), "a=b;c");
  EXPECT_EQ(GETINI("S", "Accent"), QString::fromUtf8("Caf\xc3\xa9"));

  PUTINI("S", "Lines", "one\r\ntwo\nthree");
  EXPECT_EQ(GETINI("S", "Lines"), "one two three");
  EXPECT_EQ(GETINI("S", "Blanks"), "  padded  ");
}

TEST_F(IniFileTest, ReadsFilesOfOtherWriters) {
  writeRaw("[Main]\nA = \"  x  \"\nB=\"\nC=1\nC=2\n[main]\nC=3\nD=4\n[Latin]\nE=Caf\xe9\nnoequals\n=nokey\n");
  EXPECT_EQ(GETINI("Main", "A"), "  x  ");
  EXPECT_EQ(GETINI("Main", "B"), "\"");
  EXPECT_EQ(GETINI("Main", "C"), "1");      // the first entry counts
  EXPECT_EQ(GETINI("Main", "D", "-"), "-"); // and so does the first section
  EXPECT_EQ(GETINI("Latin", "E"), QString::fromUtf8("Caf\xc3\xa9"));
  EXPECT_EQ(GETINI("Latin", "", "-"), "-");
}

TEST_F(IniFileTest, SeesChangesMadeByOthersAndSkipsWritesThatChangeNothing) {
  PUTINI("Main", "Version", "1.5");
  EXPECT_EQ(GETINI("Main", "Version"), "1.5");
  writeRaw("[Main]\nVersion=2.25\n");
  EXPECT_EQ(GETINI("Main", "Version"), "2.25");

  QFileInfo before(iniPath());
  PUTINI("main", "version", "2.25");
  QFileInfo after(iniPath());
  EXPECT_EQ(before.lastModified(), after.lastModified());
  EXPECT_EQ(readRaw(), "[Main]\nVersion=2.25\n");
}

TEST_F(IniFileTest, RefusesNamesItCannotStore) {
  PUTINI("Main", "Version", "1.5");
  const QByteArray before = readRaw();
  PUTINI("Ma]in", "X", "1");
  PUTINI("Main", "X=Y", "1");
  PUTINI("Main", "Two\nLines", "1");
  PUTINI("", "X", "1");
  PUTINI("Main", "  ", "1");
  EXPECT_EQ(readRaw(), before);
}

TEST_F(IniFileTest, OtherFilesLiveBesideTheSettingsFile) {
  PUTINI("S", "E", "1", "OTHER.INI");
  EXPECT_TRUE(QFileInfo::exists(config_.vornixFolder() + "/OTHER.INI"));
  EXPECT_EQ(GETINI("S", "E", {}, "OTHER.INI"), "1");
  EXPECT_EQ(GETINI("S", "E"), QString());

  const QString explicitPath = config_.root() + "/sub/x.ini";
  QDir().mkpath(config_.root() + "/sub");
  PUTINI("S", "E", "2", explicitPath);
  EXPECT_EQ(GETINI("S", "E", {}, explicitPath), "2");
}

TEST_F(IniFileTest, HugeOrUnreadableFilesAreReadAsEmptyAndNeverOverwritten) {
  QByteArray huge("[Main]\nVersion=1.5\n");
  huge.append(5 * 1024 * 1024, 'x');
  writeRaw(huge);
  EXPECT_EQ(GETINI("Main", "Version", "none"), "none");
  PUTINI("Main", "Version", "1.6");
  EXPECT_EQ(QFileInfo(iniPath()).size(), huge.size());

  QFile::remove(iniPath());
  QDir().mkpath(iniPath()); // a folder where the file should be
  EXPECT_EQ(GETINI("Main", "Version", "none"), "none");
  PUTINI("Main", "Version", "1.6");
  EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST_F(IniFileTest, BinaryGarbageDoesNotStopReadingOrWriting) {
  QByteArray garbage;
  for (int i = 0; i < 2000; ++i)
    garbage.append(static_cast<char>((i * 37) % 256));
  writeRaw(garbage + "\n[Main]\nVersion=1.5\n");
  EXPECT_EQ(GETINI("Main", "Version"), "1.5");
  PUTINI("Main", "Version", "1.6");
  EXPECT_EQ(GETINI("Main", "Version"), "1.6");
}

TEST_F(IniFileTest, WritesLeaveNoTemporaryFiles) {
  for (int i = 0; i < 20; ++i)
    PUTINI("Main", QString("E%1").arg(i), QString::number(i));
  EXPECT_EQ(QDir(config_.vornixFolder()).entryList(QDir::Files), QStringList{"VORNIX.INI"});
  EXPECT_EQ(GETINI("Main", "E19"), "19");
}

TEST_F(IniFileTest, BatchedWritesLandTogetherAtTheOutermostEnd) {
  writeRaw("; kept\n[Main]\nVersion=1.5\n");
  const QFileInfo before(iniPath());
  {
    IniWriteBatch outer;
    PUTINI("Window", "XPosit", "10");
    {
      IniWriteBatch inner;
      PUTINI("Window", "YPosit", "20");
      PUTINI("Main", "Version", "1.6");
    }
    EXPECT_EQ(readRaw(), "; kept\n[Main]\nVersion=1.5\n");
    EXPECT_EQ(GETINI("Window", "YPosit"), "20");
    EXPECT_EQ(GETINI("Main", "Version"), "1.6");
    PUTINI("Window", "Bad=Name", "x");
    PUTINI("Other.ini", "Name", "y", "OTHER.INI");
    PUTINI("Window", "XPosit", "11");
  }
  EXPECT_EQ(readRaw(), "; kept\n[Main]\nVersion=1.6\n\n[Window]\nXPosit=11\nYPosit=20\n");
  EXPECT_EQ(GETINI("Other.ini", "Name", {}, "OTHER.INI"), "y");
  EXPECT_EQ(QDir(config_.vornixFolder()).entryList(QDir::Files), QStringList({"OTHER.INI", "VORNIX.INI"}));
}

TEST_F(IniFileTest, BatchKeepsEntriesWrittenMeanwhileByOthers) {
  writeRaw("[Main]\nVersion=1.5\n");
  {
    IniWriteBatch batch;
    PUTINI("Main", "Mine", "1");
    writeRaw("[Main]\nVersion=1.5\nTheirs=2\n");
  }
  EXPECT_EQ(GETINI("Main", "Theirs"), "2");
  EXPECT_EQ(GETINI("Main", "Mine"), "1");
}

TEST_F(IniFileTest, CrashInsideABatchLeavesTheOldFileWhole) {
  writeRaw("[Main]\nVersion=1.5\n");
  EXPECT_EXIT(
      {
        IniWriteBatch batch;
        PUTINI("Main", "Version", "1.6");
        PUTINI("Window", "XPosit", "10");
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(readRaw(), "[Main]\nVersion=1.5\n");
  EXPECT_EQ(QDir(config_.vornixFolder()).entryList(QDir::Files), QStringList{"VORNIX.INI"});
}

} // namespace
} // namespace vx
