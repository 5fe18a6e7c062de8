#include "proxy/engine/cache/mime_table.h"

#include "support/cache_test_util.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(MimeTable, BuiltInNamesKeepTheirFileOrder) {
  TMimeTable table;
  EXPECT_EQ(table.Count(), 72);
  EXPECT_EQ(table.MimeTypeName(1), "text/html");
  EXPECT_EQ(table.MimeTypeName(40), "application/octet-stream");
  EXPECT_EQ(table.MimeTypeName(72), "application/exe");
  EXPECT_EQ(table.MimeTypeName(0), "text/plain");
  EXPECT_EQ(table.MimeTypeName(73), "text/plain");
  EXPECT_EQ(table.MimeTypeName(-5), "text/plain");
}

TEST(MimeTable, LooksUpTrimmedTextWithoutRegardToCase) {
  QTemporaryDir dir;
  TMimeTable table;
  table.LoadMimeTypes(dir.path());
  EXPECT_EQ(table.MimeTypeIndex(" TEXT/Html\r"), 1);
  EXPECT_EQ(table.MimeTypeIndex("image/png"), 66);
  EXPECT_EQ(table.MimeTypeIndex("abc"), 0);
  EXPECT_EQ(table.MimeTypeIndex("a/"), 0);
  EXPECT_EQ(table.MimeTypeIndex("  \t"), 0);
  EXPECT_EQ(table.Count(), 72);
  EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath(kMimeTypeFileName)));
}

TEST(MimeTable, LearnedNamesAreKeptAndComeBackWithTheirIndexes) {
  QTemporaryDir dir;
  {
    TMimeTable table;
    table.LoadMimeTypes(dir.path());
    EXPECT_EQ(table.MimeTypeIndex("Image/Webp"), 73);
    EXPECT_EQ(table.MimeTypeIndex("image/webp"), 73);
    EXPECT_EQ(table.MimeTypeIndex("font/woff2"), 74);
    EXPECT_EQ(test::ReadAll(QDir(dir.path()).filePath(kMimeTypeFileName)),
              QByteArray(kMimeTypeFileHeader) + "\r\nImage/Webp\r\nfont/woff2\r\n");
  }
  TMimeTable again;
  again.LoadMimeTypes(dir.path());
  EXPECT_EQ(again.Count(), 74);
  EXPECT_EQ(again.MimeTypeName(73), "Image/Webp");
  EXPECT_EQ(again.MimeTypeIndex("FONT/WOFF2"), 74);
}

// Indexes are 32-bit: a table grown past 256 names must not wrap index 257 onto text/html.
TEST(MimeTable, IndexesAbove255DoNotWrap) {
  QTemporaryDir dir;
  TMimeTable table;
  table.LoadMimeTypes(dir.path());
  int32_t last = 0;
  for (int i = 0; last < 257; ++i)
    last = table.MimeTypeIndex("x-test/type" + QByteArray::number(i));
  EXPECT_EQ(last, 257);
  EXPECT_EQ(table.MimeTypeName(257), "x-test/type184");
  TMimeTable reloaded;
  reloaded.LoadMimeTypes(dir.path());
  EXPECT_EQ(reloaded.MimeTypeName(257), "x-test/type184");
  EXPECT_EQ(reloaded.MimeTypeIndex("x-test/type184"), 257);
}

// A type is known by its name alone: "text/html; charset=utf-8" is an HTML page, and
// parameters such as multipart boundaries never grow the table. A line torn by a crash keeps
// its index, and the next learned name goes on a line of its own.
TEST(MimeTable, ParametersAreNotPartOfTheTypeAndLearnedNamesAreAppended) {
  QTemporaryDir dir;
  const QString file = QDir(dir.path()).filePath(kMimeTypeFileName);
  TMimeTable table;
  table.LoadMimeTypes(dir.path());
  EXPECT_EQ(table.MimeTypeIndex("text/html; charset=utf-8"), 1);
  EXPECT_EQ(table.MimeTypeIndex("Text/HTML ;charset=\"x\""), 1);
  EXPECT_EQ(table.MimeTypeIndex("multipart/form-data; boundary=a1"), 73);
  EXPECT_EQ(table.MimeTypeIndex("multipart/form-data; boundary=b2"), 73);
  EXPECT_EQ(table.MimeTypeIndex(";charset=utf-8"), 0);
  EXPECT_EQ(table.Count(), 73);
  test::WriteBytes(file, test::ReadAll(file) + "image/to");
  TMimeTable torn;
  torn.LoadMimeTypes(dir.path());
  EXPECT_EQ(torn.MimeTypeName(74), "image/to");
  EXPECT_EQ(torn.MimeTypeIndex("image/avif"), 75);
  EXPECT_EQ(test::ReadAll(file),
            QByteArray(kMimeTypeFileHeader) + "\r\nmultipart/form-data\r\nimage/to\r\nimage/avif\r\n");
}

TEST(MimeTable, NameNotLearnedWhenTheFileCannotBeWritten) {
  QTemporaryDir dir;
  const QString blocked = QDir(dir.path()).filePath("file-not-dir");
  test::WriteBytes(blocked, "x");
  TMimeTable table;
  table.LoadMimeTypes(blocked);
  EXPECT_EQ(table.MimeTypeIndex("image/webp"), 0);
  EXPECT_EQ(table.Count(), 72);
}

} // namespace
} // namespace ql
