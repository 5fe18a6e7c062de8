// Opens N connections to 127.0.0.1:PORT that send nothing and holds them, as a crowd of idle
// browsers (or a flood of them) would. Prints "open K failed F seconds S" once every connect
// has ended, then holds the connections until SECONDS have passed or it is killed.
// Usage: idle_clients PORT N [SECONDS]   (default 60)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PORT N [SECONDS]\n", argv[0]);
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const int count = std::atoi(argv[2]);
  const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto start = std::chrono::steady_clock::now();
  const int epfd = ::epoll_create1(EPOLL_CLOEXEC);
  std::vector<int> fds;
  int failed = 0;
  int pending = 0;
  for (int i = 0; i < count; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      ++failed;
      continue;
    }
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
      ::close(fd);
      ++failed;
      continue;
    }
    epoll_event event{};
    event.events = EPOLLOUT;
    event.data.fd = fd;
    ::epoll_ctl(epfd, EPOLL_CTL_ADD, fd, &event);
    fds.push_back(fd);
    ++pending;
  }
  std::vector<epoll_event> events(1024);
  while (pending > 0) {
    const int n = ::epoll_wait(epfd, events.data(), static_cast<int>(events.size()), 60000);
    if (n <= 0)
      break;
    for (int i = 0; i < n; ++i) {
      int error = 0;
      socklen_t length = sizeof error;
      ::getsockopt(events[i].data.fd, SOL_SOCKET, SO_ERROR, &error, &length);
      if (error != 0)
        ++failed;
      ::epoll_ctl(epfd, EPOLL_CTL_DEL, events[i].data.fd, nullptr);
      --pending;
    }
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("open %d failed %d seconds %.2f\n", count - failed - pending, failed + pending, took);
  std::fflush(stdout);

  std::this_thread::sleep_until(start + std::chrono::seconds(seconds));
  for (const int fd : fds)
    ::close(fd);
  return 0;
}
