#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/thread_store.h"
#include "support/sample_file.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

// Each run-time thread has its own record buffer and reading state of a shared open file.
class ThreadBuffersTest : public ::testing::Test {
protected:
  void SetUp() override {
    CREATE(Sample());
    OPEN(Sample());
    for (const char *name : {"a", "b", "c"})
      ASSERT_EQ(AddSample(name, "g", 1), 0);
  }
  void TearDown() override { SetCurrentThreadStore(nullptr); }
  void Get(const char *name) {
    CLEAR(Sample());
    Rec().Name = name;
    GET(Sample().key(ByName));
    ASSERT_EQ(ERRORCODE(), 0);
  }
  TempWorkDir dir_;
  ThreadStore first_, second_;
};

TEST_F(ThreadBuffersTest, WritesOfOneThreadLeaveTheOthersRecordAlone) {
  SetCurrentThreadStore(&first_);
  Get("a");
  SetCurrentThreadStore(&second_);
  Get("b");
  Rec().Score = 42;
  PUT(Sample());
  ASSERT_EQ(ERRORCODE(), 0);

  SetCurrentThreadStore(&first_);
  EXPECT_EQ(Rec().Name.text(), "a");
  EXPECT_EQ(Rec().Score, 1);
  DELETE(Sample());
  ASSERT_EQ(ERRORCODE(), 0);

  SetCurrentThreadStore(&second_);
  EXPECT_EQ(Rec().Name.text(), "b");
  EXPECT_EQ(POINTER(Sample()) != 0, true);
  GET(Sample().key(ByName));
  EXPECT_EQ(Rec().Score, 42);
  EXPECT_EQ(RECORDS(Sample()), 2);
}

TEST_F(ThreadBuffersTest, EachThreadKeepsItsOwnReadPosition) {
  SetCurrentThreadStore(&first_);
  SET(Sample().key(ByName));
  NEXT(Sample());
  SetCurrentThreadStore(&second_);
  SET(Sample().key(ByName));
  NEXT(Sample());
  NEXT(Sample());
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "c");
  SetCurrentThreadStore(&first_);
  NEXT(Sample());
  EXPECT_EQ(Rec().Name.text(), "b");
}

} // namespace
} // namespace vx::test
