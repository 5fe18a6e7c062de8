#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class KeyedFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    CREATE(Sample());
    ASSERT_EQ(ERRORCODE(), 0) << ERROR().toStdString() << FILEERROR().toStdString();
    OPEN(Sample());
    ASSERT_EQ(ERRORCODE(), 0) << ERROR().toStdString();
  }

  // Reads the whole order from SET onwards and returns the names read.
  QStringList Walk(const Key &key, bool forward = true) {
    SET(key);
    return Collect(forward);
  }
  QStringList Collect(bool forward = true) {
    QStringList names;
    for (;;) {
      forward ? NEXT(Sample()) : PREVIOUS(Sample());
      if (ERRORCODE() != 0)
        break;
      names << Rec().Name.clipped();
    }
    EXPECT_EQ(ERRORCODE(), 33);
    return names;
  }

  TempWorkDir dir_;
};

TEST_F(KeyedFileTest, AddsAndFindsRecordsIgnoringCaseAndTrailingBlanks) {
  ASSERT_EQ(AddSample("alpha", "g1", 5), 0);
  ASSERT_EQ(AddSample("Beta", "g1", 7), 0);
  EXPECT_EQ(RECORDS(Sample()), 2);

  CLEAR(Sample());
  Rec().Name = "BETA   ";
  GET(Sample().key(ByName));
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(Rec().Name.text(), "Beta");
  EXPECT_EQ(Rec().Score, 7);

  Rec().Name = "gamma";
  GET(Sample().key(ByName));
  EXPECT_EQ(ERRORCODE(), 35);
  EXPECT_EQ(ERROR(), "Record Not Found");
  EXPECT_EQ(ERRORFILE(), "SAMPLE.KYF");

  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 52);
}

TEST_F(KeyedFileTest, UniqueKeyRefusesCaseVariantsButAcceptsSeveralBlankRecords) {
  ASSERT_EQ(AddSample("News", "g", 1), 0);
  EXPECT_EQ(AddSample("NEWS", "g", 2), 40);
  EXPECT_EQ(ERROR(), "Creates Duplicate Key");
  EXPECT_EQ(RECORDS(Sample()), 1);

  Rec().Name = "news";
  EXPECT_TRUE(DUPLICATE(Sample().key(ByName)));
  EXPECT_FALSE(DUPLICATE(Sample().key(ByGroup)));

  ASSERT_EQ(AddSample("", "blank", 3), 0);
  ASSERT_EQ(AddSample("   ", "blank", 4), 0);
  EXPECT_FALSE(DUPLICATE(Sample().key(ByName)));
  EXPECT_EQ(Walk(Sample().key(ByName)), QStringList{"News"});
  EXPECT_EQ(Walk(Sample().key(ByGroup)), (QStringList{"", "", "News"}));

  CLEAR(Sample());
  GET(Sample().key(ByName));
  EXPECT_EQ(ERRORCODE(), 35);
}

TEST_F(KeyedFileTest, KeysOrderAscendingDescendingAndPhysically) {
  ASSERT_EQ(AddSample("c", "x", 1), 0);
  ASSERT_EQ(AddSample("A", "y", 9), 0);
  ASSERT_EQ(AddSample("b", "x", 9), 0);
  EXPECT_EQ(Walk(Sample().key(ByName)), (QStringList{"A", "b", "c"}));
  EXPECT_EQ(Walk(Sample().key(ByScore)), (QStringList{"A", "b", "c"}));
  EXPECT_EQ(Walk(Sample().key(ByScore), false), (QStringList{"c", "b", "A"}));
  EXPECT_EQ(Walk(Sample().key(ByGroup)), (QStringList{"b", "c", "A"}));
  SET(Sample());
  EXPECT_EQ(Collect(), (QStringList{"c", "A", "b"}));
}

TEST_F(KeyedFileTest, SetWithStartValueReadsFromItInBothDirections) {
  for (const char *name : {"a", "b", "d", "e"})
    ASSERT_EQ(AddSample(name, "g", 0), 0);
  CLEAR(Sample());
  Rec().Name = "C";
  SET(Sample().key(ByName), Sample().key(ByName));
  EXPECT_EQ(Collect(), (QStringList{"d", "e"}));
  Rec().Name = "d";
  SET(Sample().key(ByName), Sample().key(ByName));
  EXPECT_EQ(Collect(false), (QStringList{"b", "a"}));
  Rec().Name = "z";
  SET(Sample().key(ByName), Sample().key(ByName));
  NEXT(Sample());
  EXPECT_EQ(ERRORCODE(), 33);
  EXPECT_EQ(ERROR(), "Record Not Available");
}

TEST_F(KeyedFileTest, NextAfterPutGoesOnFromWhereTheRecordWasRead) {
  for (const char *name : {"a1", "a2", "a3", "b1"})
    ASSERT_EQ(AddSample(name, "g", 0), 0);
  // Renaming each "a" record moves it past the end of the order; the walk still meets all.
  SET(Sample().key(ByName));
  QStringList seen;
  for (NEXT(Sample()); ERRORCODE() == 0; NEXT(Sample())) {
    seen << Rec().Name.clipped();
    if (Rec().Name.text().startsWith("a")) {
      Rec().Name = "z" + Rec().Name.text();
      PUT(Sample());
      ASSERT_EQ(ERRORCODE(), 0);
    }
  }
  EXPECT_EQ(seen, (QStringList{"a1", "a2", "a3", "b1", "za1", "za2", "za3"}));
}

TEST_F(KeyedFileTest, ResetReturnsTheRecordItselfOrItsNeighbourOnceDeleted) {
  for (const char *name : {"a", "b", "c", "d"})
    ASSERT_EQ(AddSample(name, "g", 0), 0);
  const Key &byName = Sample().key(ByName);
  SET(byName);
  NEXT(Sample());
  NEXT(Sample());
  const QString atB = POSITION(byName);
  NEXT(Sample());
  const QString atC = POSITION(byName);

  RESET(byName, atB);
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "b");
  RESET(byName, atB);
  PREVIOUS(Sample());
  EXPECT_EQ(Rec().Name.text(), "b");

  // Delete "b" and "c": the saved positions lead to their neighbours.
  Rec().Name = "b";
  GET(byName);
  DELETE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  Rec().Name = "c";
  GET(byName);
  DELETE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  RESET(byName, atB);
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "d");
  RESET(byName, atC);
  PREVIOUS(Sample());
  EXPECT_EQ(Rec().Name.text(), "a");

  // Positions are texts that survive the file being closed and opened again.
  CLOSE(Sample());
  OPEN(Sample());
  RESET(byName, atC);
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "d");

  RESET(byName, "garbage");
  EXPECT_EQ(ERRORCODE(), 35);
}

TEST_F(KeyedFileTest, PointersReadRecordsAgainAndAreNeverReused) {
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  const qint64 first = POINTER(Sample());
  ASSERT_EQ(AddSample("b", "g", 2), 0);
  const qint64 second = POINTER(Sample());
  EXPECT_NE(first, second);

  GET(Sample(), first);
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(Rec().Name.text(), "a");
  const QString where = POSITION(Sample());

  GET(Sample(), second);
  DELETE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(POINTER(Sample()), 0);
  GET(Sample(), second);
  EXPECT_EQ(ERRORCODE(), 35);
  ASSERT_EQ(AddSample("c", "g", 3), 0);
  EXPECT_GT(POINTER(Sample()), second);

  REGET(Sample(), where);
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(Rec().Name.text(), "a");

  // Pointer 0 detaches the buffer: a PUT has no record to write.
  GET(Sample(), 0);
  EXPECT_EQ(ERRORCODE(), 0);
  Rec().Name = "changed";
  PUT(Sample());
  EXPECT_EQ(ERRORCODE(), 33);
  GET(Sample(), first);
  EXPECT_EQ(Rec().Name.text(), "a");
}

TEST_F(KeyedFileTest, TextsAreCutToTheirWidthAndMemosTravelWithTheRecord) {
  CLEAR(Sample());
  Rec().Name = "a name that is longer than twenty";
  EXPECT_EQ(Rec().Name.text(), "a name that is longe");
  Rec().Notes = QString(150, 'n');
  ADD(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  CLEAR(Sample());
  Rec().Notes = "";
  Rec().Name = "A NAME THAT IS LONGE";
  GET(Sample().key(ByName));
  ASSERT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(Rec().Notes.text(), QString(100, 'n'));
}

TEST_F(KeyedFileTest, RecordSizesAddUpToTheFileSize) {
  EXPECT_EQ(FileBytes(Sample()), 0);
  Rec().Notes = "";
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  ASSERT_EQ(AddSample("b", "g", 2), 0);
  Rec().Notes = "twelve chars";
  PUT(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  // Each record counts 20 + 10 + 4 bytes of fields and the characters of its memo.
  EXPECT_EQ(FileBytes(Sample()), 2 * 34 + 12);
  qint64 read = 0;
  SET(Sample());
  for (NEXT(Sample()); ERRORCODE() == 0; NEXT(Sample()))
    read += BYTES(Sample());
  EXPECT_EQ(read, FileBytes(Sample()));
}

TEST_F(KeyedFileTest, StatementsOnAClosedFileReportIt) {
  CLOSE(Sample());
  ADD(Sample());
  EXPECT_EQ(ERRORCODE(), 37);
  SET(Sample());
  NEXT(Sample());
  EXPECT_EQ(ERRORCODE(), 37);
}

} // namespace
} // namespace vx::test
