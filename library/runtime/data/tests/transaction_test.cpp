#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/thread_store.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class TransactionTest : public ::testing::Test {
protected:
  void SetUp() override {
    CREATE(Sample());
    CREATE(SampleOther());
    OPEN(Sample());
    OPEN(SampleOther());
    ASSERT_EQ(ERRORCODE(), 0);
  }
  void TearDown() override {
    SetCurrentThreadStore(nullptr);
    ROLLBACK();
  }
  void AddOther(const QString &name) {
    CLEAR(SampleOther());
    OtherRec().Name = name;
    ADD(SampleOther());
  }
  TempWorkDir dir_;
};

TEST_F(TransactionTest, RollbackUndoesEveryFileAndCommitKeepsThem) {
  LOGOUT(2, {&Sample(), &SampleOther()});
  ASSERT_EQ(ERRORCODE(), 0);
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  AddOther("x");
  ROLLBACK();
  EXPECT_EQ(RECORDS(Sample()), 0);
  EXPECT_EQ(RECORDS(SampleOther()), 0);

  LOGOUT(2, {&Sample(), &SampleOther()});
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  AddOther("x");
  COMMIT();
  ASSERT_EQ(ERRORCODE(), 0);
  CLOSE(Sample());
  CLOSE(SampleOther());
  OPEN(Sample());
  OPEN(SampleOther());
  EXPECT_EQ(RECORDS(Sample()), 1);
  EXPECT_EQ(RECORDS(SampleOther()), 1);
}

TEST_F(TransactionTest, OnlyOneTransactionAtATime) {
  LOGOUT(2, {&Sample()});
  ASSERT_EQ(ERRORCODE(), 0);
  LOGOUT(2, {&SampleOther()});
  EXPECT_EQ(ERRORCODE(), 56);
  EXPECT_EQ(ERROR(), "LOGOUT Already Active");
  COMMIT();
  LOGOUT(2, {&SampleOther()});
  EXPECT_EQ(ERRORCODE(), 0);
  COMMIT();
}

TEST_F(TransactionTest, AnotherThreadCanNeitherEndNorJoinTheTransaction) {
  ThreadStore other;
  LOGOUT(2, {&Sample()});
  ASSERT_EQ(AddSample("mine", "g", 1), 0);

  SetCurrentThreadStore(&other);
  EXPECT_FALSE(InTransaction());
  ROLLBACK();
  COMMIT();
  EXPECT_EQ(AddSample("theirs", "g", 2), 32);
  SetCurrentThreadStore(nullptr);

  EXPECT_TRUE(InTransaction());
  EXPECT_EQ(RECORDS(Sample()), 1);
  ROLLBACK();
  EXPECT_EQ(RECORDS(Sample()), 0);
}

TEST_F(TransactionTest, FileClosedInsideATransactionIsReleasedWhenItEnds) {
  LOGOUT(2, {&Sample(), &SampleOther()});
  ASSERT_EQ(AddSample("a", "g", 1), 0);
  CLOSE(SampleOther());
  COMMIT();
  ASSERT_EQ(ERRORCODE(), 0);
  OPEN(SampleOther());
  EXPECT_EQ(ERRORCODE(), 0);
  EXPECT_EQ(RECORDS(Sample()), 1);
}

TEST_F(TransactionTest, FilesOpenOnlyBetweenTransactions) {
  CLOSE(SampleOther());
  LOGOUT(2, {&Sample()});
  OPEN(SampleOther());
  EXPECT_EQ(ERRORCODE(), 32);
  COMMIT();
  OPEN(SampleOther());
  EXPECT_EQ(ERRORCODE(), 0);
}

TEST_F(TransactionTest, LogoutNeedsOpenFiles) {
  CLOSE(SampleOther());
  LOGOUT(2, {&Sample(), &SampleOther()});
  EXPECT_EQ(ERRORCODE(), 37);
  EXPECT_FALSE(InTransaction());
}

} // namespace
} // namespace vx::test
