#include "library/runtime/data/line_file.h"

#include "library/runtime/data/error_state.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vx {
namespace {

class LineFileTest : public ::testing::Test {
protected:
  QString path(const QString &name = "lines.txt") const { return dir_.path() + "/" + name; }

  void writeRaw(const QByteArray &bytes, const QString &name = "lines.txt") {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }

  QByteArray readRaw(const QString &name = "lines.txt") const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // Reads every record; checks that the BYTES of the reads add up to the file's size.
  QStringList readAll(LineFile &file) {
    QStringList lines;
    file.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyAll);
    EXPECT_EQ(ERRORCODE(), 0) << ERROR().toStdString();
    const qint64 size = file.BYTES();
    file.SET();
    qint64 total = 0;
    for (file.NEXT(); ERRORCODE() == 0; file.NEXT()) {
      lines << file.line;
      total += file.BYTES();
    }
    EXPECT_EQ(ERRORCODE(), 33);
    EXPECT_EQ(total, size);
    file.CLOSE();
    return lines;
  }

  QTemporaryDir dir_;
};

TEST_F(LineFileTest, WritesAndReadsBackLines) {
  LineFile out(path(), 512);
  out.REMOVE();
  EXPECT_EQ(ERRORCODE(), 2);
  out.CREATE();
  out.OPEN();
  ASSERT_EQ(ERRORCODE(), 0);
  for (const QString &text :
       {QString("<html>   "), QString(), QString(600, u'x'), QString::fromUtf8("Caf\xc3\xa9")}) {
    out.line = text;
    out.ADD();
    ASSERT_EQ(ERRORCODE(), 0);
  }
  out.CLOSE();
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(readRaw(), "<html>\n\n" + QByteArray(512, 'x') + "\nCaf\xc3\xa9\n");

  LineFile in(path(), 512);
  EXPECT_EQ(readAll(in), (QStringList{"<html>", "", QString(512, u'x'), QString::fromUtf8("Caf\xc3\xa9")}));
}

TEST_F(LineFileTest, ReadsLineEndingsOfEveryKind) {
  writeRaw("one\r\ntwo\n\r\nlast");
  LineFile in(path(), 255);
  EXPECT_EQ(readAll(in), (QStringList{"one", "two", "", "last"}));
  writeRaw("Caf\xe9 latin\n");
  EXPECT_EQ(readAll(in), QStringList{QString::fromLatin1("Caf\xe9 latin")});
  writeRaw("");
  EXPECT_EQ(readAll(in), QStringList{});
}

TEST_F(LineFileTest, SplitsLongLinesWithoutLosingOrBreakingCharacters) {
  writeRaw(QByteArray(600, 'a') + "\r\nshort\n");
  LineFile in(path(), 255);
  EXPECT_EQ(readAll(in), (QStringList{QString(255, u'a'), QString(255, u'a'), QString(90, u'a'), "short"}));

  QByteArray accents;
  for (int i = 0; i < 300; ++i)
    accents += "\xc3\xa9";
  writeRaw(accents + "\n");
  QStringList lines = readAll(in);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QString(255, QChar(0xe9)));
  EXPECT_EQ(lines[1], QString(45, QChar(0xe9)));

  writeRaw(QByteArray(300, '\xe9') + "\n"); // not UTF-8: read as Latin-1, one byte a character
  EXPECT_EQ(readAll(in), (QStringList{QString(255, QChar(0xe9)), QString(45, QChar(0xe9))}));

  QByteArray pairs;
  for (int i = 0; i < 200; ++i)
    pairs += "\xf0\x9f\x98\x80"; // one character outside the basic plane, two QChars
  writeRaw(pairs);
  QString all = readAll(in).join(QString());
  EXPECT_EQ(all, QString::fromUtf8(pairs));
}

TEST_F(LineFileTest, ReadsAHugeLineInPieces) {
  writeRaw(QByteArray(3 * 1024 * 1024, 'z'));
  LineFile in(path(), 512);
  QStringList lines = readAll(in);
  ASSERT_EQ(lines.size(), (3 * 1024 * 1024 + 511) / 512);
  EXPECT_EQ(lines.front(), QString(512, u'z'));
}

TEST_F(LineFileTest, ReportsErrorsWithTheFileName) {
  LineFile missing(path("missing.txt"), 255);
  missing.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyAll);
  EXPECT_EQ(ERRORCODE(), 2);
  EXPECT_EQ(ERRORFILE(), path("missing.txt"));
  missing.NEXT();
  EXPECT_EQ(ERRORCODE(), 37);

  writeRaw("x\n");
  LineFile readOnly(path(), 255);
  readOnly.OPEN(LineFile::Access::ReadOnly);
  readOnly.OPEN(LineFile::Access::ReadOnly);
  EXPECT_EQ(ERRORCODE(), 52);
  readOnly.line = "y";
  readOnly.ADD();
  EXPECT_EQ(ERRORCODE(), 5);
  readOnly.CLOSE();
  EXPECT_EQ(readRaw(), "x\n");

  LineFile folder(dir_.path(), 255);
  folder.OPEN(LineFile::Access::ReadOnly);
  EXPECT_EQ(ERRORCODE(), 90);
  EXPECT_NE(FILEERRORCODE(), 0);
  EXPECT_FALSE(FILEERROR().isEmpty());
}

TEST_F(LineFileTest, ExclusiveOpenKeepsOthersOut) {
  writeRaw("x\n");
  LineFile viewer(path(), 255), other(path(), 255), third(path(), 255);
  viewer.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyAll);
  ASSERT_EQ(ERRORCODE(), 0);
  other.OPEN(LineFile::Access::ReadWrite, LineFile::Share::DenyNone);
  EXPECT_EQ(ERRORCODE(), 32);
  viewer.CLOSE();

  other.OPEN(LineFile::Access::ReadWrite, LineFile::Share::DenyNone);
  ASSERT_EQ(ERRORCODE(), 0);
  third.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyNone);
  EXPECT_EQ(ERRORCODE(), 0);
  viewer.OPEN(LineFile::Access::ReadOnly, LineFile::Share::DenyAll);
  EXPECT_EQ(ERRORCODE(), 32);
}

TEST_F(LineFileTest, AcceptsBackslashesAndAddsWhileReading) {
  LineFile file(dir_.path() + "\\out.txt", 512);
  file.CREATE();
  file.OPEN();
  file.line = "first";
  file.ADD();
  file.SET();
  file.NEXT();
  EXPECT_EQ(file.line, "first");
  file.line = "second";
  file.ADD();
  file.NEXT();
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(file.line, "second");
  file.CLOSE();
  EXPECT_EQ(readRaw("out.txt"), "first\nsecond\n");
}

} // namespace
} // namespace vx
