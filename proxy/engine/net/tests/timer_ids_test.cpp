#include "proxy/engine/net/timer_ids.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(TimerIdsTest, CountsUpAndWrapsToOne) {
  TTimerIds ids;
  EXPECT_EQ(ids.Next(), 1);
  EXPECT_EQ(ids.Next(), 2);
  for (int id = 3; id <= TTimerIds::kLastId; ++id) {
    ids.Release(ids.Next());
  }
  ids.Release(1);
  ids.Release(2);
  EXPECT_EQ(ids.Next(), 1);
}

TEST(TimerIdsTest, WrappedCounterSkipsIdsOfRunningTimers) {
  TTimerIds ids;
  const int first = ids.Next();
  const int second = ids.Next();
  const int third = ids.Next();
  ids.Release(second);
  for (int n = 4; n <= TTimerIds::kLastId; ++n) {
    ids.Release(ids.Next());
  }
  EXPECT_EQ(ids.Next(), second);
  EXPECT_TRUE(ids.IsHeld(first));
  EXPECT_TRUE(ids.IsHeld(third));
  EXPECT_EQ(ids.Next(), 4);
}

TEST(TimerIdsTest, GivesNoneWhenEveryIdIsHeld) {
  TTimerIds ids;
  for (int n = 1; n <= TTimerIds::kLastId; ++n) {
    ids.Next();
  }
  EXPECT_EQ(ids.Next(), 0);
  ids.Release(77);
  EXPECT_EQ(ids.Next(), 77);

  TTimerIds few(3);
  EXPECT_EQ(few.Next(), 1);
  EXPECT_EQ(few.Next(), 2);
  EXPECT_EQ(few.Next(), 3);
  EXPECT_EQ(few.Next(), 0);
}

} // namespace
} // namespace ql
