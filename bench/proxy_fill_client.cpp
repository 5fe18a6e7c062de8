// Asks an HTTP proxy for COUNT addresses never asked for before (URL followed by a number, from
// FIRST on), CONNECTIONS at a time, each on a connection of its own, so that every request is a
// miss that the proxy stores. Usage: proxy_fill_client PORT URL FIRST COUNT CONNECTIONS SIZE
// A request fails when its answer is not a 200 with a body of SIZE bytes, or when it has not
// ended within 60 seconds. Prints "requests N failed F seconds S".
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Request {
  int fd = -1;
  std::string text;
  std::size_t sent = 0;
  std::string answer;
  Clock::time_point started;
};

bool AnswerIsRight(const std::string &answer, std::size_t size) {
  if (!answer.starts_with("HTTP/1.0 200") && !answer.starts_with("HTTP/1.1 200"))
    return false;
  const std::size_t end = answer.find("\r\n\r\n");
  return end != std::string::npos && answer.size() - end - 4 == size;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: %s PORT URL FIRST COUNT CONNECTIONS SIZE\n", argv[0]);
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::string url = argv[2];
  const long first = std::atol(argv[3]);
  const long count = std::atol(argv[4]);
  const long width = std::atol(argv[5]);
  const std::size_t size = static_cast<std::size_t>(std::atol(argv[6]));
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  const int poll = ::epoll_create1(EPOLL_CLOEXEC);
  std::unordered_map<int, Request> open;
  long next = first;
  long failed = 0;
  auto startOne = [&] {
    Request r;
    r.text = "GET " + url + std::to_string(next++) + " HTTP/1.0\r\n\r\n";
    r.started = Clock::now();
    r.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (r.fd < 0 || (::connect(r.fd, reinterpret_cast<sockaddr *>(&target), sizeof target) != 0 &&
                     errno != EINPROGRESS)) {
      ++failed;
      if (r.fd >= 0)
        ::close(r.fd);
      return;
    }
    epoll_event e{EPOLLOUT, {.fd = r.fd}};
    ::epoll_ctl(poll, EPOLL_CTL_ADD, r.fd, &e);
    open.emplace(r.fd, std::move(r));
  };
  auto finish = [&](Request &r, bool ended) {
    if (!ended || !AnswerIsRight(r.answer, size)) {
      if (++failed <= 5)
        std::fprintf(stderr, "failed: %.60s -> %.80s\n", r.text.c_str(), r.answer.c_str());
    }
    ::close(r.fd);
    open.erase(r.fd);
  };

  const auto begin = Clock::now();
  std::vector<epoll_event> events(1024);
  char piece[65536];
  auto lastSweep = begin;
  while (next < first + count || !open.empty()) {
    while (next < first + count && static_cast<long>(open.size()) < width)
      startOne();
    const int n = ::epoll_wait(poll, events.data(), static_cast<int>(events.size()), 100);
    for (int i = 0; i < n; ++i) {
      const epoll_event &event = events[static_cast<std::size_t>(i)];
      const auto it = open.find(event.data.fd);
      if (it == open.end())
        continue;
      Request &r = it->second;
      if (r.sent < r.text.size() && (event.events & EPOLLOUT)) {
        const ssize_t sent = ::send(r.fd, r.text.data() + r.sent, r.text.size() - r.sent, MSG_NOSIGNAL);
        if (sent > 0)
          r.sent += static_cast<std::size_t>(sent);
        if (r.sent == r.text.size()) {
          epoll_event e{EPOLLIN, {.fd = r.fd}};
          ::epoll_ctl(poll, EPOLL_CTL_MOD, r.fd, &e);
        }
        continue;
      }
      if (event.events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
        const ssize_t got = ::recv(r.fd, piece, sizeof piece, 0);
        if (got > 0)
          r.answer.append(piece, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EAGAIN)
          finish(r, got == 0);
      }
    }
    if (Clock::now() - lastSweep > std::chrono::seconds(1)) {
      lastSweep = Clock::now();
      std::vector<int> late;
      for (const auto &[fd, r] : open)
        if (lastSweep - r.started > std::chrono::seconds(60))
          late.push_back(fd);
      for (const int fd : late)
        finish(open.at(fd), false);
    }
  }
  ::close(poll);
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  std::printf("requests %ld failed %ld seconds %.2f\n", count, failed, seconds);
  return 0;
}
