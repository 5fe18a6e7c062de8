#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/platform/dialog_sink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace ql {
namespace {

QByteArray Read(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

template <typename T> void Put(QByteArray &out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

std::unique_ptr<TBMInfo> Record(const QByteArray &title, bool folder, const QByteArray &url = {}) {
  auto info = std::make_unique<TBMInfo>(45000.0);
  info->MaxItemSize = 204800;
  info->Weekday = 6;
  info->Title = title;
  info->Folder = folder ? 1 : 0;
  if (!url.isNull())
    info->URL = url;
  return info;
}

// A folder "News" holding the bookmark "Daily" and a subfolder "Old" with "Archive".
void Fill(TBookmarkOutline &tree) {
  TBookmarkNode *news = tree.Append(nullptr, Record("News", true));
  news->Expanded = true;
  tree.Append(news, Record("Daily", false, "http://daily.example/"));
  TBookmarkNode *old = tree.Append(news, Record("Old", true));
  tree.Append(old, Record("Archive", false, "http://archive.example/a b"));
}

QStringList Outline(const TBookmarkOutline &tree) {
  QStringList lines;
  tree.ForEach([&lines](const TBookmarkNode &node) {
    lines << QString(node.Level() - 1, QLatin1Char(' ')) + QString::fromUtf8(node.Info().Title);
  });
  return lines;
}

class BookmarkFileTest : public ::testing::Test {
protected:
  QString Path(const char *name) const { return dir_.filePath(QLatin1String(name)); }
  // Writes the tree to auto.dat through a fresh file object.
  void Save(const TBookmarkOutline &tree) {
    TBookmarkFile file(dir_.path() + "/");
    file.SaveExtOutlineNoDelay(tree);
  }

  QTemporaryDir dir_;
  RecordingDialogSink dialogs_;
};

TEST_F(BookmarkFileTest, WritesTheLayoutByteForByte) {
  TBookmarkOutline tree;
  auto folder = Record("Sites", true);
  folder->SerialId = 7;
  folder->LastVisit = 0;
  folder->NextRefresh = 0;
  TBookmarkNode *node = tree.Append(nullptr, std::move(folder));
  node->Expanded = true;
  auto bookmark = Record("Home", false, "http://h/");
  bookmark->SerialId = 8;
  bookmark->LastVisit = 45000.5;
  bookmark->NextRefresh = 45001;
  bookmark->Generation = 3;
  bookmark->Scheduled = 1;
  bookmark->Weekday = 2;
  bookmark->Spare1 = 9;
  bookmark->Comments = "";
  bookmark->Locked = 1;
  tree.Append(node, std::move(bookmark));

  QByteArray expected("\x02\x10", 2);
  const auto fixed = [&expected](double last, double next, int32_t serial, int32_t generation,
                                 int32_t weekday, uint8_t spare1, uint8_t folder, uint8_t scheduled) {
    Put(expected, last == 0 ? 0.0 : last + 693594.0);
    Put(expected, next == 0 ? 0.0 : next + 693594.0);
    for (int32_t value : {204800, 1, 0, 1, weekday, 1, serial, generation, 3600000, 5242880})
      Put(expected, value);
    for (uint8_t value : {uint8_t(0), spare1, uint8_t(0), uint8_t(0), uint8_t(0), uint8_t(0), uint8_t(0),
                          folder, uint8_t(0), scheduled, uint8_t(1), uint8_t(1), uint8_t(1)})
      Put(expected, value);
  };
  fixed(0, 0, 7, 0, 6, 0, 1, 0);
  Put<uint8_t>(expected, 1);  // expanded
  Put<uint16_t>(expected, 1); // level
  Put<uint16_t>(expected, 6);
  expected.append("Sites", 6);
  for (int i = 0; i < 5; ++i)
    Put<uint16_t>(expected, 0);
  fixed(45000.5, 45001, 8, 3, 2, 9, 0, 1);
  Put<uint16_t>(expected, 2);
  Put<uint16_t>(expected, 5);
  expected.append("Home", 5);
  Put<uint16_t>(expected, 10);
  expected.append("http://h/", 10);
  Put<uint16_t>(expected, 0); // user name
  Put<uint16_t>(expected, 0); // password
  Put<uint16_t>(expected, 1); // comments: present and empty
  expected.append('\0');
  Put<uint16_t>(expected, 0); // kill words

  const QByteArray written = WriteBookmarkFile(tree);
  EXPECT_EQ(written.toHex(), expected.toHex());
  EXPECT_EQ(written.size(), 2 + (69 + 1 + 2 + 2 + 5 + 1 + 10) + (69 + 2 + 2 + 4 + 1 + 2 + 9 + 1 + 8) + 1);

  // Read back: the same bytes again, the marks that are not stored cleared.
  TBookmarkOutline again;
  ASSERT_EQ(ReadBookmarkFile(written, again), TBookmarkRead::Loaded);
  EXPECT_EQ(WriteBookmarkFile(again), written);
  const TBMInfo &home = again.Item(2)->Info();
  EXPECT_EQ(home.Locked, 0);
  EXPECT_EQ(home.LastVisit, 45000.5);
  EXPECT_TRUE(home.UserName.isNull());
  EXPECT_FALSE(home.Comments.isNull());
  EXPECT_TRUE(again.Item(1)->Expanded);
  EXPECT_GT(NextBMSerial, 8);
}

TEST_F(BookmarkFileTest, RefusesRecordsWhoseLevelsOrLengthsDoNotFit) {
  TBookmarkOutline tree;
  Fill(tree);
  const QByteArray good = WriteBookmarkFile(tree);
  const int32_t serial = NextBMSerial;

  // Cut anywhere inside a record: refused, the tree stays empty.
  for (qsizetype cut : {qsizetype(1), qsizetype(10), good.size() - 1}) {
    TBookmarkOutline read;
    EXPECT_EQ(ReadBookmarkFile(good.left(cut), read), TBookmarkRead::Failed) << cut;
    EXPECT_TRUE(read.IsEmpty());
  }
  // The first record at level 2; a record two levels below the one before.
  QByteArray badLevel = good;
  badLevel[2 + 69 + 1] = 2;
  TBookmarkOutline read;
  EXPECT_EQ(ReadBookmarkFile(badLevel, read), TBookmarkRead::Failed);
  // A title whose length runs past the end of the file, or that lacks its zero.
  QByteArray longTitle = good;
  longTitle[2 + 69 + 1 + 2] = char(0xFF);
  longTitle[2 + 69 + 1 + 3] = char(0xFF);
  EXPECT_EQ(ReadBookmarkFile(longTitle, read), TBookmarkRead::Failed);
  QByteArray noZero = good;
  noZero[2 + 69 + 1 + 4 + 4] = 'x';
  EXPECT_EQ(ReadBookmarkFile(noZero, read), TBookmarkRead::Failed);
  EXPECT_EQ(ReadBookmarkFile(QByteArray("\x03\x10", 2), read), TBookmarkRead::Failed);
  EXPECT_EQ(ReadBookmarkFile(QByteArray("\x01\x0F", 2), read), TBookmarkRead::OldFormat);
  EXPECT_TRUE(read.IsEmpty());
  EXPECT_EQ(NextBMSerial, serial);
}

TEST_F(BookmarkFileTest, WritesOnEverySixteenthCallAndBacksUpEveryNinthWrite) {
  TBookmarkOutline tree;
  Fill(tree);
  TBookmarkFile file(dir_.path() + "/");
  EXPECT_FALSE(file.Load(tree)); // no file yet: the tree starts empty
  // One node at a time, each change saved.
  TBookmarkNode *news = tree.Append(nullptr, Record("News", true));
  file.SaveExtOutline(tree);
  tree.Append(news, Record("Daily", false, "http://daily.example/"));
  for (int call = 2; call <= 15; ++call)
    file.SaveExtOutline(tree);
  EXPECT_FALSE(QFile::exists(Path("auto.dat")));
  file.SaveExtOutline(tree);
  EXPECT_EQ(Read(Path("auto.dat")), WriteBookmarkFile(tree));
  EXPECT_FALSE(QFile::exists(Path("auto.tmp")));
  EXPECT_FALSE(QFile::exists(Path("auto.bak")));

  // Writes 2 to 8 leave the backup alone; the ninth write makes it.
  for (int write = 2; write <= 9; ++write) {
    tree.Append(nullptr, Record("Added " + QByteArray::number(write), false, "http://x/"));
    for (int call = 0; call < 16; ++call)
      file.SaveExtOutline(tree);
    EXPECT_EQ(QFile::exists(Path("auto.bak")), write == 9) << write;
  }
  EXPECT_EQ(Read(Path("auto.bak")), Read(Path("auto.dat")));
  EXPECT_EQ(file.BackupCount(), 0);

  // The window's destruction writes at once.
  tree.Append(nullptr, Record("Last", false, "http://last/"));
  file.SaveExtOutlineNoDelay(tree);
  EXPECT_EQ(Read(Path("auto.dat")), WriteBookmarkFile(tree));
}

TEST_F(BookmarkFileTest, AFailedWriteLeavesTheFileAsItWas) {
  TBookmarkOutline tree;
  Fill(tree);
  Save(tree);
  const QByteArray before = Read(Path("auto.dat"));
  // auto.tmp cannot be made: a folder of that name is in the way.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("auto.tmp"));
  tree.Append(nullptr, Record("Lost", false, "http://lost/"));
  Save(tree);
  EXPECT_EQ(Read(Path("auto.dat")), before);
}

TEST_F(BookmarkFileTest, RecoversFromTheBackupThenFromTheWriteUnderWay) {
  TBookmarkOutline tree;
  Fill(tree);
  const QByteArray good = WriteBookmarkFile(tree);

  // A truncated auto.dat with a good auto.bak: the tree comes from the backup, auto.dat becomes
  // a copy of it, and the damaged file is kept aside.
  Write(Path("auto.dat"), good.left(good.size() - 3));
  Write(Path("auto.bak"), good);
  TBookmarkOutline read;
  TBookmarkFile file(dir_.path() + "/");
  EXPECT_TRUE(file.Load(read));
  EXPECT_EQ(Outline(read), Outline(tree));
  EXPECT_EQ(Read(Path("auto.dat")), good);
  EXPECT_EQ(Read(Path("auto.dat.damaged")), good.left(good.size() - 3));

  // Both auto.dat and auto.bak damaged: the write under way that a crash left is read.
  Write(Path("auto.dat"), "\x02\x10garbage");
  Write(Path("auto.bak"), "\x02");
  Write(Path("auto.tmp"), good);
  TBookmarkOutline fromTmp;
  TBookmarkFile again(dir_.path() + "/");
  EXPECT_TRUE(again.Load(fromTmp));
  EXPECT_EQ(Outline(fromTmp), Outline(tree));
  EXPECT_EQ(Read(Path("auto.dat")), good);
  EXPECT_EQ(Read(Path("auto.dat.damaged.1")), QByteArray("\x02\x10garbage"));
}

TEST_F(BookmarkFileTest, AnEmptyTreeIsNotWrittenWhileNoCopyCouldBeRead) {
  Write(Path("auto.dat"), "\x02\x10 damaged beyond repair");
  Write(Path("auto.bak"), "\x02\x10 also damaged");
  TBookmarkOutline tree;
  {
    TBookmarkFile file(dir_.path() + "/");
    EXPECT_FALSE(file.Load(tree));
    EXPECT_TRUE(tree.IsEmpty());
    file.SaveExtOutlineNoDelay(tree);
  }
  EXPECT_FALSE(QFile::exists(Path("auto.dat")));
  EXPECT_EQ(Read(Path("auto.dat.damaged")), QByteArray("\x02\x10 damaged beyond repair"));
  EXPECT_EQ(Read(Path("auto.bak")), QByteArray("\x02\x10 also damaged"));

  // Once the user adds something, the tree is saved.
  TBookmarkFile file(dir_.path() + "/");
  EXPECT_FALSE(file.Load(tree));
  tree.Append(nullptr, Record("New", true));
  file.SaveExtOutlineNoDelay(tree);
  EXPECT_EQ(Read(Path("auto.dat")), WriteBookmarkFile(tree));
}

TEST_F(BookmarkFileTest, AnOldFormatFileGetsTheNoticeAndIsNeverWritten) {
  const QByteArray old("\x01\x0F old records", 14);
  Write(Path("auto.dat"), old);
  TBookmarkOutline tree;
  TBookmarkFile file(dir_.path() + "/");
  EXPECT_FALSE(file.Load(tree));
  EXPECT_TRUE(file.ConversionFound());
  ASSERT_EQ(dialogs_.Requests().size(), 1u);
  EXPECT_TRUE(dialogs_.Requests()[0].text.startsWith("Cache and bookmarks need conversion."));
  tree.Append(nullptr, Record("New", true));
  file.SaveExtOutlineNoDelay(tree);
  EXPECT_EQ(Read(Path("auto.dat")), old);
  EXPECT_FALSE(QFile::exists(Path("auto.bak")));
  EXPECT_FALSE(QFile::exists(Path("auto.dat.damaged")));
}

TEST_F(BookmarkFileTest, AGoodFileWithoutBackupGetsOne) {
  TBookmarkOutline tree;
  Fill(tree);
  Save(tree);
  TBookmarkOutline read;
  TBookmarkFile file(dir_.path() + "/");
  EXPECT_TRUE(file.Load(read));
  EXPECT_EQ(Read(Path("auto.bak")), Read(Path("auto.dat")));
  EXPECT_EQ(Outline(read), QStringList({"News", " Daily", " Old", "  Archive"}));
}

} // namespace
} // namespace ql
