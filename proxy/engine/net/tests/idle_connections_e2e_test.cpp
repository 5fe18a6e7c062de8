// The real program with many idle browser connections open: its event loop waits on a few
// descriptors however many connections are open, so that idle ones cost an answer nothing.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <vector>

namespace ql::test {
namespace {

// The number of descriptors that the process's main thread waits on, when it is blocked in
// poll or ppoll at this moment (from /proc), else -1.
int PolledDescriptors(qint64 pid) {
#if defined(__x86_64__)
  constexpr long kPoll = 7;
  constexpr long kPpoll = 271;
#elif defined(__aarch64__)
  constexpr long kPoll = -1;
  constexpr long kPpoll = 73;
#else
  constexpr long kPoll = -1;
  constexpr long kPpoll = -1;
#endif
  std::ifstream file("/proc/" + std::to_string(pid) + "/syscall");
  long number = -1;
  std::string descriptors;
  std::string count;
  if (!(file >> number >> descriptors >> count) || (number != kPoll && number != kPpoll))
    return -1;
  return static_cast<int>(std::stol(count, nullptr, 16));
}

TEST_F(ProxyRoadTest, IdleConnectionsAreNotWatchedOneByOne) {
#if !defined(__x86_64__) && !defined(__aarch64__)
  GTEST_SKIP() << "the poll system call numbers are known for x86-64 and AArch64 only";
#endif
  constexpr int kIdle = 1500;
  // Real time: the idle connections must outlive the test rather than the header deadline.
  proxy.Hooks()["TIMER_SCALE"] = "1";
  ScriptedOrigin origin(
      [](const std::string &) { return OriginReply{HttpResponse("200 OK", "text/plain", "fine")}; });
  StartProxy();
  const int before = SettledDescriptors(proxy.ProcessId());
  std::vector<int> idle;
  for (int i = 0; i < kIdle; ++i) {
    const int fd = ConnectLoopback(proxy.Port());
    ASSERT_GE(fd, 0) << "connection " << i;
    idle.push_back(fd);
  }
  ASSERT_TRUE(WaitFor([&] { return OpenDescriptors(proxy.ProcessId()) >= before + kIdle; }))
      << OpenDescriptors(proxy.ProcessId()) << " descriptors open, " << before << " before";

  EXPECT_EQ(Get(Url(origin, "/a")), HttpResponse("200 OK", "text/plain", "fine"));
  int polled = -1;
  EXPECT_TRUE(WaitFor([&] { return (polled = PolledDescriptors(proxy.ProcessId())) >= 0; }));
  EXPECT_LT(polled, 32) << "the event loop waits on " << polled << " descriptors with " << kIdle
                        << " idle connections open";
  for (const int fd : idle)
    ::close(fd);
}

} // namespace
} // namespace ql::test
