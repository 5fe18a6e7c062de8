// Runs a loopback origin and a mixed browser load against it, through an HTTP proxy or
// straight to the origin, and prints what went wrong. Usage:
//   proxy_load_client PROXY_PORT REQUESTS CONNECTIONS [ORIGIN_PORT [FIRST [--no-own-pages]]]
// PROXY_PORT 0 goes straight to the origin; the origin listens on ORIGIN_PORT (a free port when
// 0 or left out); requests are numbered from FIRST (0). With --no-own-pages the requests for the
// proxy's own pages go to the origin instead, for a proxy that has no such pages.
// CONNECTIONS requests are in flight at every moment until REQUESTS have been made, each on a
// connection of its own. By request number, of every twenty: eight ask for one of 500 small
// objects that carry a Last-Modified (cache hits once fetched), five for an object never asked
// for before (misses), three abort (15%: two ask for a 200 KB object and reset the connection
// after its first bytes, one resets it as soon as its request for another 200 KB object is out),
// two POST a body that the origin answers with its length (10%), and two ask for the proxy's
// own pages (straight to the origin: one more small object). Every object has bytes of its own
// (bench/load_objects.h). The small objects answer a conditional request with "304 Not
// Modified".
// Prints "requests N failed F aborted A seconds S"; a request fails when its answer is not a
// 200 with the expected body, or when it has not ended within 60 seconds.
#include "load_objects.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int Listen(int &port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 4096) != 0) {
    std::perror("origin");
    std::exit(1);
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// The origin: one event loop, one request per connection, answered and closed.
class Origin {
public:
  explicit Origin(int port) : port_(port), listen_(Listen(port_)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~Origin() {
    stop_ = true;
    thread_.join();
    ::close(listen_);
  }
  int Port() const { return port_; }

private:
  struct Peer {
    std::string in;
    std::string out;
    std::size_t sent = 0;
    bool answered = false;
  };

  static std::string Answer(const std::string &request) {
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string body;
    std::string extra;
    const bool dated = path.starts_with("/hit/") || path.starts_with("/page/");
    if (dated && request.find("If-Modified-Since:") != std::string::npos)
      return "HTTP/1.0 304 Not Modified\r\n\r\n";
    if (dated)
      extra = "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n";
    if (path.starts_with("/post/"))
      body = std::to_string(request.size() - request.find("\r\n\r\n") - 4);
    else
      body = load::ObjectBody(path, load::ObjectSize(path));
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n" + extra +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }

  static bool Whole(const std::string &in) {
    const std::size_t end = in.find("\r\n\r\n");
    if (end == std::string::npos)
      return false;
    const std::size_t at = in.find("Content-Length: ");
    const std::size_t length = at == std::string::npos || at > end ? 0 : std::stoul(in.substr(at + 16));
    return in.size() >= end + 4 + length;
  }

  void Run() {
    const int poll = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event listening{EPOLLIN, {.fd = listen_}};
    ::epoll_ctl(poll, EPOLL_CTL_ADD, listen_, &listening);
    std::unordered_map<int, Peer> peers;
    std::vector<epoll_event> events(1024);
    char piece[65536];
    while (!stop_) {
      const int n = ::epoll_wait(poll, events.data(), static_cast<int>(events.size()), 100);
      for (int i = 0; i < n; ++i) {
        const int fd = events[static_cast<std::size_t>(i)].data.fd;
        if (fd == listen_) {
          for (int peer; (peer = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;) {
            epoll_event e{EPOLLIN | EPOLLOUT | EPOLLET, {.fd = peer}};
            ::epoll_ctl(poll, EPOLL_CTL_ADD, peer, &e);
            peers[peer];
          }
          continue;
        }
        Peer &p = peers[fd];
        bool closed = false;
        while (!p.answered) {
          const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
          if (got <= 0) {
            closed = got == 0 || errno != EAGAIN;
            break;
          }
          p.in.append(piece, static_cast<std::size_t>(got));
          if (Whole(p.in)) {
            p.out = Answer(p.in);
            p.answered = true;
          }
        }
        while (p.answered && p.sent < p.out.size()) {
          const ssize_t sent = ::send(fd, p.out.data() + p.sent, p.out.size() - p.sent, MSG_NOSIGNAL);
          if (sent < 0) {
            closed = errno != EAGAIN;
            break;
          }
          p.sent += static_cast<std::size_t>(sent);
        }
        if (closed || (p.answered && p.sent == p.out.size())) {
          ::close(fd);
          peers.erase(fd);
        }
      }
    }
    for (const auto &[fd, peer] : peers)
      ::close(fd);
    ::close(poll);
  }

  int port_ = 0;
  int listen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

enum class Kind { Hit, Miss, Abort, EarlyAbort, Post, Page };

struct Request {
  int fd = -1;
  Kind kind = Kind::Hit;
  std::string text;
  std::size_t sent = 0;
  std::string answer;
  Clock::time_point started;
};

// Of every twenty requests: 8 hits, 5 misses, 2 aborts after the first bytes and 1 before
// them, 2 POSTs, 2 pages.
Kind KindOf(long n) {
  static constexpr Kind kinds[20] = {Kind::Hit,  Kind::Hit,   Kind::Hit,  Kind::Hit,        Kind::Miss,
                                     Kind::Miss, Kind::Abort, Kind::Post, Kind::Page,       Kind::Hit,
                                     Kind::Hit,  Kind::Hit,   Kind::Hit,  Kind::Miss,       Kind::Miss,
                                     Kind::Miss, Kind::Abort, Kind::Post, Kind::EarlyAbort, Kind::Page};
  return kinds[n % 20];
}

std::string RequestText(long n, Kind kind, int originPort, bool viaProxy, bool ownPages) {
  const std::string origin = viaProxy ? "http://127.0.0.1:" + std::to_string(originPort) : std::string();
  const std::string number = std::to_string(n);
  switch (kind) {
  case Kind::Hit:
    return "GET " + origin + "/hit/" + std::to_string(n % 500) + " HTTP/1.0\r\n\r\n";
  case Kind::Miss:
    return "GET " + origin + "/miss/" + number + " HTTP/1.0\r\n\r\n";
  case Kind::Abort:
  case Kind::EarlyAbort:
    return "GET " + origin + "/big/" + number + " HTTP/1.0\r\n\r\n";
  case Kind::Post:
    return load::PostRequest(origin + "/post/" + number);
  case Kind::Page:
    if (viaProxy && ownPages)
      return n % 20 == 9 ? "GET http://quenlark.invalid/bookmarks HTTP/1.0\r\n\r\n"
                         : "GET http://quenlark.invalid/cache?page=1&title=hit&url= HTTP/1.0\r\n\r\n";
    return "GET " + origin + "/page/" + std::to_string(n % 500) + " HTTP/1.0\r\n\r\n";
  }
  return {};
}

bool AnswerIsRight(const Request &r) {
  // A proxy of HTTP/1.1 (the reference) answers in its own version.
  if (!r.answer.starts_with("HTTP/1.0 200") && !r.answer.starts_with("HTTP/1.1 200"))
    return false;
  const std::size_t end = r.answer.find("\r\n\r\n");
  if (end == std::string::npos)
    return false;
  const std::string body = r.answer.substr(end + 4);
  const std::size_t start = r.text.find(' ') + 1;
  std::string path = r.text.substr(start, r.text.find(' ', start) - start);
  if (const std::size_t scheme = path.find("://"); scheme != std::string::npos)
    path = path.substr(path.find('/', scheme + 3));
  switch (r.kind) {
  case Kind::Hit:
  case Kind::Miss:
    return body == load::ObjectBody(path, load::ObjectSize(path));
  case Kind::Post:
    // The proxy sends a CR LF after a POST body, as browsers of its time did.
    return body == std::to_string(load::kPostBody) || body == std::to_string(load::kPostBody + 2);
  case Kind::Page:
    return !body.empty();
  case Kind::Abort:
  case Kind::EarlyAbort:
    return true;
  }
  return false;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 4 || argc > 7) {
    std::fprintf(stderr, "usage: %s PROXY_PORT REQUESTS CONNECTIONS [ORIGIN_PORT [FIRST [--no-own-pages]]]\n",
                 argv[0]);
    return 2;
  }
  const int proxyPort = std::atoi(argv[1]);
  const long first = argc > 5 ? std::atol(argv[5]) : 0;
  const long total = std::atol(argv[2]);
  const long width = std::atol(argv[3]);
  Origin origin(argc > 4 ? std::atoi(argv[4]) : 0);
  const bool viaProxy = proxyPort != 0;
  const bool ownPages = !(argc > 6 && std::string(argv[6]) == "--no-own-pages");
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(viaProxy ? proxyPort : origin.Port()));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  const int poll = ::epoll_create1(EPOLL_CLOEXEC);
  std::unordered_map<int, Request> open;
  long started = first;
  long failed = 0;
  long aborted = 0;
  const auto begin = Clock::now();
  auto startOne = [&] {
    const long n = started++;
    Request r;
    r.kind = KindOf(n);
    r.text = RequestText(n, r.kind, origin.Port(), viaProxy, ownPages);
    r.started = Clock::now();
    r.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (r.fd < 0 || (::connect(r.fd, reinterpret_cast<sockaddr *>(&target), sizeof target) != 0 &&
                     errno != EINPROGRESS)) {
      ++failed;
      if (r.fd >= 0)
        ::close(r.fd);
      return;
    }
    epoll_event e{EPOLLIN | EPOLLOUT, {.fd = r.fd}};
    ::epoll_ctl(poll, EPOLL_CTL_ADD, r.fd, &e);
    open.emplace(r.fd, std::move(r));
  };
  auto finish = [&](Request &r, bool ended) {
    if ((r.kind == Kind::Abort && !r.answer.empty()) ||
        (r.kind == Kind::EarlyAbort && r.sent == r.text.size())) {
      linger reset{1, 0};
      ::setsockopt(r.fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      ++aborted;
    } else if (!ended || !AnswerIsRight(r)) {
      ++failed;
      if (failed <= 5)
        std::fprintf(stderr, "failed: %.60s -> %.80s\n", r.text.c_str(), r.answer.c_str());
    }
    ::close(r.fd);
    open.erase(r.fd);
  };

  std::vector<epoll_event> events(4096);
  char piece[65536];
  auto lastSweep = Clock::now();
  while (started < first + total || !open.empty()) {
    while (started < first + total && static_cast<long>(open.size()) < width)
      startOne();
    const int n = ::epoll_wait(poll, events.data(), static_cast<int>(events.size()), 100);
    for (int i = 0; i < n; ++i) {
      const auto it = open.find(events[static_cast<std::size_t>(i)].data.fd);
      if (it == open.end())
        continue;
      Request &r = it->second;
      if (r.sent < r.text.size() && (events[static_cast<std::size_t>(i)].events & EPOLLOUT)) {
        const ssize_t sent = ::send(r.fd, r.text.data() + r.sent, r.text.size() - r.sent, MSG_NOSIGNAL);
        if (sent > 0)
          r.sent += static_cast<std::size_t>(sent);
        if (r.sent == r.text.size() && r.kind == Kind::EarlyAbort) {
          finish(r, true);
          continue;
        }
        if (r.sent == r.text.size()) {
          epoll_event e{EPOLLIN, {.fd = r.fd}};
          ::epoll_ctl(poll, EPOLL_CTL_MOD, r.fd, &e);
        }
      }
      if (events[static_cast<std::size_t>(i)].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) {
        const ssize_t got = ::recv(r.fd, piece, sizeof piece, 0);
        if (got > 0) {
          r.answer.append(piece, static_cast<std::size_t>(got));
          if (r.kind == Kind::Abort)
            finish(r, true);
        } else if (got == 0 || errno != EAGAIN) {
          finish(r, got == 0);
        }
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
  std::printf("requests %ld failed %ld aborted %ld seconds %.2f\n", total, failed, aborted, seconds);
  return 0;
}
