// The real program at the ends of its numbering: every connection timer id held, and socket
// handles going round in a long run.
#include "support/proxy_road_fixture.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace ql::test {
namespace {

// With every timer id held by an idle connection, a further connection is closed at once and
// counted, instead of being left without its deadline: its browser hears the end at once and its
// descriptor goes with it.
TEST_F(ProxyRoadTest, ConnectionsBeyondTheTimerIdsAreClosedAndCounted) {
  constexpr int kIds = 8;
  constexpr int kOver = 12;
  // Real time: the idle connections must keep their header deadlines through the test.
  proxy.Hooks()["TIMER_SCALE"] = "1";
  proxy.Hooks()["TIMER_IDS"] = std::to_string(kIds);
  StartProxy();
  const qint64 pid = proxy.ProcessId();
  const int before = SettledDescriptors(pid);
  std::vector<int> idle;
  for (int i = 0; i < kIds; ++i)
    idle.push_back(ConnectLoopback(proxy.Port()));
  ASSERT_TRUE(WaitFor([&] { return OpenDescriptors(pid) == before + kIds; })) << OpenDescriptors(pid);

  for (int i = 0; i < kOver; ++i) {
    const int fd = ConnectLoopback(proxy.Port());
    ASSERT_GE(fd, 0);
    pollfd p{fd, POLLIN, 0};
    char byte = 0;
    EXPECT_TRUE(::poll(&p, 1, 3000) == 1 && ::recv(fd, &byte, 1, 0) == 0)
        << "connection " << i << " left open";
    ::close(fd);
  }
  EXPECT_TRUE(WaitFor([&] { return OpenDescriptors(pid) == before + kIds; }))
      << OpenDescriptors(pid) << " descriptors open, " << before + kIds << " expected";
  // The program's output reaches the test through its event loop.
  const auto logged = [&] {
    QCoreApplication::processEvents();
    return proxy.Output().contains("Connections closed for want of a timer: 12");
  };
  EXPECT_TRUE(WaitFor(logged, 12000)) << proxy.Output().toStdString();

  // Once the idle connections go, their ids serve again.
  for (const int fd : idle)
    ::close(fd);
  ScriptedOrigin origin(
      [](const std::string &) { return OriginReply{HttpResponse("200 OK", "text/plain", "fine")}; });
  EXPECT_TRUE(
      WaitFor([&] { return Get(Url(origin, "/after")) == HttpResponse("200 OK", "text/plain", "fine"); }));
}

// Socket handles go round from the highest back to 1 over the closed ones, so a long run never
// uses them up: with 16 handles, sixty fetches (two sockets each) are all answered.
TEST_F(ProxyRoadTest, SocketHandlesComeRoundInALongRun) {
  proxy.Hooks()["SOCKET_HANDLES"] = "16";
  ScriptedOrigin origin([](const std::string &request) {
    const std::string path = request.substr(4, request.find(' ', 4) - 4);
    return OriginReply{HttpResponse("200 OK", "text/plain", "body of " + path)};
  });
  StartProxy();
  for (int i = 0; i < 60; ++i) {
    const std::string path = "/item" + std::to_string(i);
    ASSERT_EQ(Exchange(proxy.Port(), "GET " + Url(origin, path) + " HTTP/1.0\r\n\r\n", 5000),
              HttpResponse("200 OK", "text/plain", "body of " + path))
        << "fetch " << i;
  }
}

} // namespace
} // namespace ql::test
