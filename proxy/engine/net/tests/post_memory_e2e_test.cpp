// The real program's memory under large POST bodies: all bodies together stay within their
// bound, each is held once on its way to the origin and let go once it has gone, and a small
// POST is served meanwhile. Prints the resident memory at each step.
#include "support/proxy_road_fixture.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace ql::test {
namespace {

constexpr std::size_t kLargeBody = 16u * 1024 * 1024;
constexpr long kMiB = 1024;

bool SendAll(int fd, const std::string &bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (sent <= 0)
      return false;
    at += static_cast<std::size_t>(sent);
  }
  return true;
}

// What the connection has been sent so far, without waiting.
std::string ReceivedSoFar(int fd) {
  std::string received;
  char piece[4096];
  for (;;) {
    const ssize_t got = ::recv(fd, piece, sizeof piece, MSG_DONTWAIT);
    if (got <= 0)
      return received;
    received.append(piece, static_cast<std::size_t>(got));
  }
}

// The resident memory once it holds still for 300 ms.
long SettledResidentKiB(qint64 pid) {
  return Settled([pid] { return ResidentKiB(pid); }, 300);
}

std::string PostHeader(const std::string &url, std::size_t length) {
  return "POST " + url + " HTTP/1.0\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

TEST_F(ProxyRoadTest, PostBodiesShareABoundAndAreHeldOnce) {
  ScriptedOrigin forms([](const std::string &request) {
    return OriginReply{HttpResponse("200 OK", "text/plain", std::to_string(request.size()))};
  });
  std::atomic<bool> answer{false};
  ScriptedOrigin uploads([&](const std::string &request) {
    for (int i = 0; i < 3000 && !answer; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return OriginReply{HttpResponse("200 OK", "text/plain", std::to_string(request.size()))};
  });
  uploads.HoldReading(true);
  // Real deadlines: the bodies wait for the test, not the other way round.
  proxy.Hooks()["TIMER_SCALE"] = "1";
  StartProxy();
  const qint64 pid = proxy.ProcessId();
  const long before = SettledResidentKiB(pid);

  // 16 browsers post 16 MiB each, all but the last byte.
  const std::string large(kLargeBody - 1, 'u');
  std::vector<int> fds;
  std::vector<std::thread> senders;
  for (int i = 0; i < 16; ++i) {
    fds.push_back(ConnectLoopback(proxy.Port()));
    ASSERT_GE(fds.back(), 0);
    senders.emplace_back([&, fd = fds.back()] {
      SendAll(fd, PostHeader(Url(uploads, "/upload"), kLargeBody));
      SendAll(fd, large);
    });
  }
  for (std::thread &sender : senders)
    sender.join();
  const long inFlight = SettledResidentKiB(pid);
  std::printf(
      "resident memory with 16 POST bodies of 16 MiB in flight: %ld MiB (%ld MiB before, bound 64 MiB)\n",
      inFlight / kMiB, before / kMiB);
  EXPECT_LT(inFlight - before, 72 * kMiB);

  // The bodies that found no room were refused at once; the others wait for their last byte.
  std::vector<int> admitted;
  for (int fd : fds) {
    const std::string received = ReceivedSoFar(fd);
    if (received.empty())
      admitted.push_back(fd);
    else
      EXPECT_EQ(received, "HTTP/1.0 503 Service Unavailable\r\nAllow: GET POST\r\n\r\n");
  }
  EXPECT_EQ(admitted.size(), 3u);

  // A form still goes through.
  const std::string form(1000, 'f');
  EXPECT_TRUE(Exchange(proxy.Port(), PostHeader(Url(forms, "/form"), form.size()) + form)
                  .starts_with("HTTP/1.0 200 OK\r\n"));

  // Complete, the bodies go to an origin that does not read them yet: each is held once.
  for (int fd : admitted)
    SendAll(fd, "u");
  const long forwarded = SettledResidentKiB(pid);
  std::printf("resident memory with their bodies on the way to the origin: %ld MiB\n", forwarded / kMiB);
  EXPECT_LT(forwarded - before, 72 * kMiB);

  // Once the origin has read them, they are let go while its answers are still to come.
  uploads.HoldReading(false);
  ASSERT_TRUE(WaitFor([&] { return uploads.RequestCount() == admitted.size(); }));
  const long sent = SettledResidentKiB(pid);
  std::printf("resident memory once the bodies have gone: %ld MiB\n", sent / kMiB);
  EXPECT_LT(sent - before, 16 * kMiB);
  answer = true;
  for (int fd : admitted)
    EXPECT_TRUE(ReadUntilClosed(fd, 65536).starts_with("HTTP/1.0 200 OK\r\n"));
  for (int fd : fds)
    if (std::find(admitted.begin(), admitted.end(), fd) == admitted.end())
      ::close(fd);

  // With the memory free again, a large body is taken in.
  EXPECT_TRUE(Exchange(proxy.Port(), PostHeader(Url(uploads, "/upload"), kLargeBody) + large + "u")
                  .starts_with("HTTP/1.0 200 OK\r\n"));
}

} // namespace
} // namespace ql::test
