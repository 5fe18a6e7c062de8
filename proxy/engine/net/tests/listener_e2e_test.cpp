// The listener of the real program under many connections at once and with its descriptors
// used up.
#include "support/proxy_process.h"

#include <QThread>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>
#include <vector>

namespace ql::test {
namespace {

using namespace std::chrono_literals;

const std::string kNewsRequest = "GET http://news.quenlark.invalid/news.html HTTP/1.0\r\n\r\n";

// A non-blocking connection to the proxy that is still being made.
int StartConnect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  return fd;
}

// CPU time the process has used, in clock ticks.
long CpuTicks(qint64 pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0;
  long stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14)
      utime = std::stol(field);
    if (i == 15) {
      stime = std::stol(field);
      break;
    }
  }
  return utime + stime;
}

class ListenerLoadTest : public ::testing::Test {
protected:
  ~ListenerLoadTest() override { proxy.Stop(); }
  ProxyProcess proxy;
};

// Connections that arrive all at once are all taken and answered.
TEST_F(ListenerLoadTest, BurstOfConnectionsIsAnsweredWhole) {
  ASSERT_TRUE(proxy.Start()) << proxy.Output().toStdString();
  constexpr int kClients = 600;
  std::vector<int> fds;
  for (int i = 0; i < kClients; ++i)
    fds.push_back(StartConnect(proxy.Port()));
  std::vector<bool> sent(kClients, false);
  std::vector<bool> done(kClients, false);
  int answered = 0;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  char piece[65536];
  while (answered < kClients && std::chrono::steady_clock::now() < deadline) {
    std::vector<pollfd> polls;
    std::vector<int> which;
    for (int i = 0; i < kClients; ++i) {
      if (!done[i]) {
        polls.push_back({fds[i], static_cast<short>(sent[i] ? POLLIN : POLLOUT), 0});
        which.push_back(i);
      }
    }
    if (::poll(polls.data(), polls.size(), 100) <= 0)
      continue;
    for (std::size_t k = 0; k < polls.size(); ++k) {
      const int i = which[k];
      if (polls[k].revents == 0)
        continue;
      if (!sent[i]) {
        sent[i] = ::send(fds[i], kNewsRequest.data(), kNewsRequest.size(), MSG_NOSIGNAL) > 0;
        continue;
      }
      const ssize_t got = ::recv(fds[i], piece, sizeof piece, 0);
      if (got <= 0) {
        done[i] = true;
        ++answered;
      }
    }
  }
  for (int fd : fds)
    ::close(fd);
  EXPECT_EQ(answered, kClients);
}

// Thousands of short connections in a few seconds leave no memory behind: closed connections
// are freed as they pile up, not seconds later.
TEST_F(ListenerLoadTest, ManyShortConnectionsLeaveNoMemoryBehind) {
  ASSERT_TRUE(proxy.Start()) << proxy.Output().toStdString();
  // The program creates its windows after the engine listens and answers only once they are
  // made: the first round's answers mark the end of its start, where the measure begins.
  long before = 0;
  for (int round = 0; round < 13; ++round) {
    if (round == 1)
      before = ResidentKiB(proxy.ProcessId());
    std::vector<int> fds;
    for (int i = 0; i < 500; ++i)
      fds.push_back(StartConnect(proxy.Port()));
    for (int fd : fds) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, 5000) > 0)
        ::send(fd, kNewsRequest.data(), kNewsRequest.size(), MSG_NOSIGNAL);
    }
    char piece[65536];
    for (int fd : fds) {
      for (pollfd p{fd, POLLIN, 0}; ::poll(&p, 1, 5000) > 0 && ::recv(fd, piece, sizeof piece, 0) > 0;) {
      }
      ::close(fd);
    }
  }
  const long after = ResidentKiB(proxy.ProcessId());
  EXPECT_LT(after - before, 6 * 1024) << "resident KiB before " << before << ", after " << after;
}

// With its descriptors used up the proxy waits instead of spinning on failing accepts, and it
// takes the waiting connections once descriptors are free again, with nothing new arriving.
TEST_F(ListenerLoadTest, UsedUpDescriptorsPauseAcceptingWithoutSpinning) {
  ASSERT_TRUE(proxy.Start()) << proxy.Output().toStdString();
  const pid_t pid = static_cast<pid_t>(proxy.ProcessId());
  const auto open = std::distance(std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"),
                                  std::filesystem::directory_iterator{});
  const rlimit limit{static_cast<rlim_t>(open + 24), static_cast<rlim_t>(open + 24)};
  ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &limit, nullptr), 0);

  std::vector<int> idle;
  for (int i = 0; i < 80; ++i)
    idle.push_back(StartConnect(proxy.Port()));
  QThread::msleep(300);
  const long before = CpuTicks(pid);
  QThread::msleep(1000);
  const long spent = CpuTicks(pid) - before;
  EXPECT_LT(spent, ::sysconf(_SC_CLK_TCK) / 4) << "ticks spent in one second: " << spent;

  auto waiting = std::async(std::launch::async, [&] { return Exchange(proxy.Port(), kNewsRequest, 10000); });
  QThread::msleep(300);
  for (int fd : idle)
    ::close(fd);
  const std::string answer = waiting.get();
  EXPECT_TRUE(answer.starts_with("HTTP/1.0 200 OK\r\n")) << answer.substr(0, 60);
}

} // namespace
} // namespace ql::test
