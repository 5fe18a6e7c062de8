#include "library/runtime/data/error_state.h"
#include "library/runtime/data/keyed_file.h"
#include "support/sample_file.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace vx::test {
namespace {

// A second connection to a file, as another station would hold it.
class Station {
public:
  explicit Station(const QString &path) {
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  }
  ~Station() { sqlite3_close(db_); }
  int exec(const char *sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
  sqlite3 *db_ = nullptr;
};

class KeyedErrorsTest : public ::testing::Test {
protected:
  void SetUp() override {
    CREATE(Sample());
    ASSERT_EQ(ERRORCODE(), 0);
    OPEN(Sample());
    ASSERT_EQ(AddSample("a", "g", 1), 0);
    ASSERT_EQ(AddSample("b", "g", 2), 0);
  }
  QString path() const { return dir_.path() + "/SAMPLE.KYF"; }
  TempWorkDir dir_;
};

TEST_F(KeyedErrorsTest, MissingFileIsNotFoundAndNotCreated) {
  OPEN(SampleOther());
  EXPECT_EQ(ERRORCODE(), 2);
  EXPECT_EQ(ERROR(), "File Not Found");
  EXPECT_EQ(ERRORFILE(), "OTHER.KYF");
  EXPECT_FALSE(QFile::exists(dir_.path() + "/OTHER.KYF"));
}

TEST_F(KeyedErrorsTest, ChangeByAnotherStationRefusesPutAndDelete) {
  CLEAR(Sample());
  Rec().Name = "a";
  GET(Sample().key(ByName));
  ASSERT_EQ(ERRORCODE(), 0);
  Station other(path());
  ASSERT_EQ(other.exec("UPDATE records SET Score = 50, chg = chg + 1 WHERE Name = 'a'"), SQLITE_OK);

  Rec().Score = 7;
  PUT(Sample());
  EXPECT_EQ(ERRORCODE(), 89);
  EXPECT_EQ(ERROR(), "Record Changed By Another Station");
  DELETE(Sample());
  EXPECT_EQ(ERRORCODE(), 89);

  // Read again, the record can be written.
  GET(Sample().key(ByName));
  EXPECT_EQ(Rec().Score, 50);
  Rec().Score = 7;
  PUT(Sample());
  EXPECT_EQ(ERRORCODE(), 0);
}

TEST_F(KeyedErrorsTest, DroppedIndexAsksForRebuildAndBuildRepairs) {
  CLOSE(Sample());
  {
    Station other(path());
    ASSERT_EQ(other.exec("DROP INDEX key_ByGroup"), SQLITE_OK);
  }
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 46);
  EXPECT_EQ(ERROR(), "Key File Must Be Rebuilt");
  EXPECT_FALSE(Sample().isOpen());

  BUILD(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  SET(Sample().key(ByGroup));
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "a");
}

TEST_F(KeyedErrorsTest, StaleSortKeysAreRecomputedByBuild) {
  CLOSE(Sample());
  {
    Station other(path());
    ASSERT_EQ(
        other.exec("UPDATE records SET k_ByName = NULL; UPDATE meta SET value = 'old' WHERE name = 'keys'"),
        SQLITE_OK);
  }
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 46);
  BUILD(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  CLEAR(Sample());
  Rec().Name = "B";
  GET(Sample().key(ByName));
  EXPECT_EQ(ERRORCODE(), 0);
}

TEST_F(KeyedErrorsTest, ForeignFilesAreInvalidDeclarations) {
  CLOSE(Sample());
  {
    Station other(path());
    ASSERT_EQ(other.exec("UPDATE meta SET value = 'other' WHERE name = 'record'"), SQLITE_OK);
  }
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 47);
  EXPECT_EQ(ERROR(), "Invalid Record Declaration");
  BUILD(Sample());
  EXPECT_EQ(ERRORCODE(), 47);

  QFile text(path());
  ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
  text.write("This is a text file, not a keyed file.\n");
  text.close();
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 47);
  EXPECT_EQ(ERRORFILE(), "SAMPLE.KYF");
}

TEST_F(KeyedErrorsTest, DriverErrorsCarryTheDriversCodeAndText) {
  {
    Station other(path());
    ASSERT_EQ(other.exec("CREATE TRIGGER refuse BEFORE DELETE ON records WHEN old.Name = 'b' "
                         "BEGIN SELECT RAISE(ABORT, 'refused by the station'); END"),
              SQLITE_OK);
  }
  CLEAR(Sample());
  Rec().Name = "b";
  GET(Sample().key(ByName));
  DELETE(Sample());
  EXPECT_EQ(ERRORCODE(), 90);
  EXPECT_EQ(ERROR(), "File System Error");
  EXPECT_EQ(FILEERRORCODE(), SQLITE_CONSTRAINT_TRIGGER);
  EXPECT_EQ(FILEERROR(), "refused by the station");
  EXPECT_EQ(RECORDS(Sample()), 2);
}

TEST_F(KeyedErrorsTest, LockedFileIsReportedAndOpensOnceReleased) {
  CLOSE(Sample());
  {
    Station other(path());
    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    SEND(Sample(), "Recover=1");
    OPEN(Sample());
    EXPECT_EQ(ERRORCODE(), 32);
    EXPECT_EQ(ERROR(), "File Is Already Locked");
    other.exec("ROLLBACK");
  }
  OPEN(Sample());
  EXPECT_EQ(ERRORCODE(), 0);
}

TEST_F(KeyedErrorsTest, AFileOpenedForReadingRefusesWrites) {
  CLOSE(Sample());
  OPEN(Sample(), FileAccess::SharedRead);
  ASSERT_EQ(ERRORCODE(), 0);
  SET(Sample().key(ByName));
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "a");
  PUT(Sample());
  EXPECT_EQ(ERRORCODE(), 5);
  EXPECT_EQ(ERROR(), "Access Denied");
  EXPECT_EQ(AddSample("c", "g", 3), 5);
}

TEST_F(KeyedErrorsTest, CreateReplacesAndRemoveDeletes) {
  CLOSE(Sample());
  CREATE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);
  OPEN(Sample());
  EXPECT_EQ(RECORDS(Sample()), 0);
  REMOVE(Sample());
  EXPECT_EQ(ERRORCODE(), 52);
  CLOSE(Sample());
  REMOVE(Sample());
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_FALSE(QFile::exists(path()));
  REMOVE(Sample());
  EXPECT_EQ(ERRORCODE(), 2);
}

} // namespace
} // namespace vx::test
