#include "support/winsock_fixture.h"

#include <QEventLoop>
#include <QTimer>

#include <cstring>
#include <memory>

namespace ql::test {
namespace {

// A caller's lookup block, filled with a marker so that any write shows.
struct alignas(hostent) LookupBlock {
  char bytes[MAXGETHOSTSTRUCT];
  LookupBlock() { std::memset(bytes, 0x5A, sizeof bytes); }
  bool Untouched() const {
    for (const char c : bytes) {
      if (c != 0x5A) {
        return false;
      }
    }
    return true;
  }
  std::uint32_t FirstAddress() const {
    const auto *entry = reinterpret_cast<const hostent *>(bytes);
    std::uint32_t address;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
  }
};

std::uint32_t Dotted(int a, int b, int c, int d) {
  return htonl(static_cast<std::uint32_t>((a << 24) | (b << 16) | (c << 8) | d));
}

class HostLookup : public WinsockTest {
protected:
  std::vector<Received> Results(HANDLE handle) const { return window_.Matching(kHostLookupMsg, handle); }
  bool Delivered(HANDLE handle) {
    return SpinUntil([&] { return !Results(handle).empty(); });
  }
  void ExpectNothingFor(HANDLE handle, const LookupBlock &block) {
    WaitForTestLookupWorkers();
    SpinFor(30);
    EXPECT_TRUE(Results(handle).empty());
    EXPECT_TRUE(block.Untouched());
  }

  RecordingWindow window_;
};

TEST_F(HostLookup, ResolvesOnAWorkerAndWritesTheBlockOnlyAtDelivery) {
  ASSERT_TRUE(AddTestHost("Origin.Example", "127.0.0.9"));
  LookupBlock block;
  const HANDLE handle =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.example", block.bytes, sizeof block);
  ASSERT_NE(handle, 0u);
  WaitForTestLookupWorkers();
  EXPECT_TRUE(block.Untouched()); // the answer waits for the GUI thread
  ASSERT_TRUE(Delivered(handle));
  const Received result = Results(handle)[0];
  EXPECT_EQ(WSAGETASYNCERROR(result.lParam), 0);
  EXPECT_EQ(block.FirstAddress(), Dotted(127, 0, 0, 9));
  const auto *entry = reinterpret_cast<const hostent *>(block.bytes);
  EXPECT_STREQ(entry->h_name, "origin.example");
  EXPECT_EQ(entry->h_length, 4);
  EXPECT_EQ(entry->h_addr_list[1], nullptr);

  LookupBlock quad;
  const HANDLE numeric =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "127.1.2.3", quad.bytes, sizeof quad);
  ASSERT_TRUE(Delivered(numeric));
  EXPECT_EQ(WSAGETASYNCERROR(Results(numeric)[0].lParam), 0);
  EXPECT_EQ(quad.FirstAddress(), Dotted(127, 1, 2, 3));
}

TEST_F(HostLookup, LiveLookupsHoldDistinctNonZeroHandles) {
  HoldTestLookups(true);
  std::vector<std::unique_ptr<LookupBlock>> blocks;
  std::vector<HANDLE> handles;
  for (int i = 0; i < 20; ++i) {
    blocks.push_back(std::make_unique<LookupBlock>());
    const HANDLE h = WSAAsyncGetHostByName(&window_, kHostLookupMsg, "unknown.test", blocks.back()->bytes,
                                           MAXGETHOSTSTRUCT);
    ASSERT_NE(h, 0u);
    for (const HANDLE other : handles) {
      EXPECT_NE(h, other);
    }
    handles.push_back(h);
  }
  HoldTestLookups(false);
  ASSERT_TRUE(SpinUntil([&] { return window_.received.size() == handles.size(); }));
  for (const Received &r : window_.received) {
    EXPECT_EQ(WSAGETASYNCERROR(r.lParam), WSAHOST_NOT_FOUND); // hosts-only: no DNS
  }
}

TEST_F(HostLookup, FailuresCarryTheirCodesAndLeaveTheBlockAlone) {
  for (const int error : {WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY, WSANO_DATA}) {
    FailTestLookups("broken.test", -1, error);
    LookupBlock block;
    const HANDLE h =
        WSAAsyncGetHostByName(&window_, kHostLookupMsg, "broken.test", block.bytes, sizeof block);
    ASSERT_TRUE(Delivered(h));
    EXPECT_EQ(WSAGETASYNCERROR(Results(h)[0].lParam), error);
    EXPECT_TRUE(block.Untouched());
  }

  AddTestHost("long.test", "10.0.0.1");
  LookupBlock small;
  const HANDLE h = WSAAsyncGetHostByName(&window_, kHostLookupMsg, "long.test", small.bytes, 16);
  ASSERT_TRUE(Delivered(h));
  EXPECT_EQ(WSAGETASYNCERROR(Results(h)[0].lParam), WSAENOBUFS);
  EXPECT_GT(WSAGETASYNCBUFLEN(Results(h)[0].lParam), 16);
  EXPECT_TRUE(small.Untouched());

  EXPECT_EQ(WSAAsyncGetHostByName(&window_, kHostLookupMsg, "long.test", small.bytes + 1, 100), 0u);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(WSAAsyncGetHostByName(nullptr, kHostLookupMsg, "long.test", small.bytes, 100), 0u);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(HostLookup, ForcedFailuresRunOutSoThatARetrySucceeds) {
  AddTestHost("flaky.test", "127.0.0.7");
  FailTestLookups("FLAKY.test", 2, WSATRY_AGAIN);
  std::vector<int> errors;
  for (int attempt = 0; attempt < 3; ++attempt) {
    LookupBlock block;
    const HANDLE h = WSAAsyncGetHostByName(&window_, kHostLookupMsg, "flaky.test", block.bytes, sizeof block);
    ASSERT_TRUE(Delivered(h));
    errors.push_back(WSAGETASYNCERROR(Results(h).back().lParam));
    window_.received.clear();
  }
  EXPECT_EQ(errors, (std::vector<int>{WSATRY_AGAIN, WSATRY_AGAIN, 0}));
}

TEST_F(HostLookup, ACancelledLookupNeverWritesOrPosts) {
  AddTestHost("origin.test", "127.0.0.2");
  LookupBlock running;
  HoldTestLookups(true);
  const HANDLE h1 =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.test", running.bytes, sizeof running);
  EXPECT_EQ(WSACancelAsyncRequest(h1), 0);
  HoldTestLookups(false);
  ExpectNothingFor(h1, running);

  LookupBlock resolved;
  const HANDLE h2 =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.test", resolved.bytes, sizeof resolved);
  WaitForTestLookupWorkers(); // the answer is on its way to the GUI thread
  EXPECT_EQ(WSACancelAsyncRequest(h2), 0);
  ExpectNothingFor(h2, resolved);

  LookupBlock delivered;
  const HANDLE h3 =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.test", delivered.bytes, sizeof delivered);
  ASSERT_TRUE(Delivered(h3));
  EXPECT_EQ(WSACancelAsyncRequest(h3), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

// The answer of a cancelled lookup, still on its way when the handle is given to a later lookup,
// never reaches that lookup.
TEST_F(HostLookup, ACancelledLookupsAnswerNeverReachesTheNextLookupWithItsHandle) {
  SetLookupHandleLimitForTest(1);
  AddTestHost("old.test", "127.0.0.2");
  AddTestHost("new.test", "127.0.0.3");
  LookupBlock cancelled;
  HoldTestLookups(true);
  const HANDLE h1 =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "old.test", cancelled.bytes, sizeof cancelled);
  ASSERT_NE(h1, 0u);
  EXPECT_EQ(WSACancelAsyncRequest(h1), 0);
  HoldTestLookups(false);
  WaitForTestLookupWorkers(); // the old answer is on its way to the GUI thread

  LookupBlock fresh;
  const HANDLE h2 = WSAAsyncGetHostByName(&window_, kHostLookupMsg, "new.test", fresh.bytes, sizeof fresh);
  ASSERT_EQ(h2, h1);
  ASSERT_TRUE(Delivered(h2));
  SpinFor(30);
  EXPECT_EQ(Results(h2).size(), 1u);
  EXPECT_EQ(fresh.FirstAddress(), Dotted(127, 0, 0, 3));
  EXPECT_TRUE(cancelled.Untouched());
}

TEST_F(HostLookup, CleanupAndWindowDestructionDropOutstandingLookups) {
  AddTestHost("origin.test", "127.0.0.2");
  LookupBlock orphan;
  HoldTestLookups(true);
  HANDLE h;
  {
    RecordingWindow doomed;
    h = WSAAsyncGetHostByName(&doomed, kHostLookupMsg, "origin.test", orphan.bytes, sizeof orphan);
    ASSERT_NE(h, 0u);
  }
  LookupBlock pending;
  const HANDLE h2 =
      WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.test", pending.bytes, sizeof pending);
  ASSERT_EQ(WSACleanup(), 0);
  HoldTestLookups(false);
  ExpectNothingFor(h2, pending);
  EXPECT_TRUE(orphan.Untouched());
  WSADATA data{};
  ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

TEST_F(HostLookup, ResultsTimersAndSocketsFlowUnderAModalLoop) {
  AddTestHost("origin.test", "127.0.0.2");
  std::uint16_t port = 0;
  const SOCKET listener = Listen(window_, FD_ACCEPT, &port);
  LookupBlock block;
  const HANDLE h = WSAAsyncGetHostByName(&window_, kHostLookupMsg, "origin.test", block.bytes, sizeof block);
  const int peer = raw::ConnectTo(port);
  window_.SetTimer(4, 1);
  QEventLoop modal;
  QTimer::singleShot(5000, &modal, &QEventLoop::quit);
  window_.onMessage = [&](const Received &) {
    if (!Results(h).empty() && !window_.Matching(kClientSocketMsg, listener, FD_ACCEPT).empty() &&
        !window_.Matching(WM_TIMER, 4).empty()) {
      modal.quit();
    }
  };
  modal.exec();
  EXPECT_FALSE(Results(h).empty());
  EXPECT_FALSE(window_.Matching(kClientSocketMsg, listener, FD_ACCEPT).empty());
  EXPECT_FALSE(window_.Matching(WM_TIMER, 4).empty());
  raw::Close(peer);
}

} // namespace
} // namespace ql::test
