#include "proxy/engine/cache/download_file.h"

#include "support/cache_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

using test::ReadAll;
using test::WriteBytes;

class DownloadFileTest : public ::testing::Test {
protected:
  DownloadFileTest() { QDir(dir.path()).mkpath("TEMP"); }
  ~DownloadFileTest() override { TDownloadFile::SetUnnamedFilesForTest(true); }

  QString Temp(const QString &name = {}) const { return dir.filePath("TEMP/" + name); }
  QString Victim() const {
    const QString path = victims.filePath("victim");
    WriteBytes(path, "untouched");
    return path;
  }

  QTemporaryDir dir;
  QTemporaryDir victims;
};

// The download has no name while it is written, reads back by its path, and takes the body
// file's name whether that name is free, held by a file left behind, or a planted link.
TEST_F(DownloadFileTest, UnnamedDownloadTakesItsPlaceWithoutAName) {
  if (!test::UnnamedFilesWork(Temp()))
    GTEST_SKIP() << "the file system makes no unnamed files";
  TDownloadFile first(Temp("ts1.adr"));
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(first.Write("first body", 10));
  EXPECT_TRUE(QDir(Temp()).isEmpty());
  EXPECT_EQ(ReadAll(first.ReadPath()), "first body");
  const QString body = dir.filePath("1.ADL");
  ASSERT_TRUE(first.MoveTo(body, false));
  EXPECT_FALSE(first.IsOpen());
  EXPECT_EQ(ReadAll(body), "first body");

  TDownloadFile over(Temp("ts2.adr"));
  ASSERT_TRUE(over.Create());
  ASSERT_TRUE(over.Write("second", 6));
  ASSERT_TRUE(over.MoveTo(body, false)); // a body left by an earlier run under a new entry's name
  EXPECT_EQ(ReadAll(body), "second");

  const QString victim = Victim();
  const QString linked = dir.filePath("2.ADL");
  ASSERT_TRUE(QFile::link(victim, linked));
  TDownloadFile replacing(Temp("ts3.adr"));
  ASSERT_TRUE(replacing.Create());
  ASSERT_TRUE(replacing.Write("third", 5));
  ASSERT_TRUE(replacing.MoveTo(linked, true));
  EXPECT_FALSE(QFileInfo(linked).isSymLink());
  EXPECT_EQ(ReadAll(linked), "third");
  EXPECT_EQ(ReadAll(victim), "untouched");
  EXPECT_TRUE(QDir(Temp()).isEmpty());
}

// Without unnamed files the download is made new under its name, never through a link
// planted there, and removed when the fetch drops it.
TEST_F(DownloadFileTest, NamedDownloadIsMadeNewAndRemovedWhenDropped) {
  TDownloadFile::SetUnnamedFilesForTest(false);
  const QString victim = Victim();
  ASSERT_TRUE(QFile::link(victim, Temp("ts1.adr")));
  TDownloadFile dropped(Temp("ts1.adr"));
  ASSERT_TRUE(dropped.Create());
  ASSERT_TRUE(dropped.Write("dropped", 7));
  EXPECT_FALSE(QFileInfo(Temp("ts1.adr")).isSymLink());
  EXPECT_EQ(ReadAll(dropped.ReadPath()), "dropped");
  dropped.Discard();
  EXPECT_FALSE(QFile::exists(Temp("ts1.adr")));
  EXPECT_EQ(ReadAll(victim), "untouched");

  TDownloadFile kept(Temp("ts2.adr"));
  ASSERT_TRUE(kept.Create());
  ASSERT_TRUE(kept.Write("kept", 4));
  ASSERT_TRUE(kept.MoveTo(dir.filePath("5.ADL"), false));
  EXPECT_EQ(ReadAll(dir.filePath("5.ADL")), "kept");
  EXPECT_TRUE(QDir(Temp()).isEmpty());
}

} // namespace
} // namespace ql
