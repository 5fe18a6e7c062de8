#include "proxy/engine/net/pipe_list.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

struct FakePipe {
  explicit FakePipe(SOCKET socket) : Socket(socket) {}
  SOCKET Socket;
};

std::vector<SOCKET> Sockets(const TPipeList<FakePipe> &list) {
  std::vector<SOCKET> sockets;
  for (const auto &pipe : list) {
    sockets.push_back(pipe->Socket);
  }
  return sockets;
}

TEST(PipeListTest, FindsBySocketIncludingSocketsSetAfterListing) {
  TPipeList<FakePipe> list;
  list.push_back(std::make_unique<FakePipe>(7));
  list.push_back(std::make_unique<FakePipe>(INVALID_SOCKET));
  FakePipe *late = list.back().get();
  list.push_back(std::make_unique<FakePipe>(INVALID_SOCKET));

  EXPECT_EQ(list.Find(7), list.front().get());
  EXPECT_EQ(list.Find(9), nullptr);
  EXPECT_EQ(list.Find(INVALID_SOCKET), nullptr);
  late->Socket = 9;
  EXPECT_EQ(list.Find(9), late);
  EXPECT_EQ(list.Find(9), late);
  EXPECT_EQ(list.Find(11), nullptr);
}

TEST(PipeListTest, TakingKeepsTheOrderAndForgetsTheSocket) {
  TPipeList<FakePipe> list;
  for (SOCKET s : {1, 2, 3, 4}) {
    list.push_back(std::make_unique<FakePipe>(s));
  }
  FakePipe *second = list.Find(2);
  std::unique_ptr<FakePipe> taken = list.Take(second);
  EXPECT_EQ(taken.get(), second);
  EXPECT_EQ(list.Take(second), nullptr);
  EXPECT_EQ(list.Find(2), nullptr);
  EXPECT_EQ(Sockets(list), (std::vector<SOCKET>{1, 3, 4}));

  // A connection listed without a socket can be taken before it ever gets one.
  list.push_back(std::make_unique<FakePipe>(INVALID_SOCKET));
  FakePipe *unset = list.back().get();
  EXPECT_NE(list.Take(unset), nullptr);
  unset = nullptr;
  EXPECT_EQ(list.Find(5), nullptr);

  const auto all = list.TakeAll();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all.front()->Socket, 1);
  EXPECT_EQ(all.back()->Socket, 4);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.Find(1), nullptr);
}

} // namespace
} // namespace ql
