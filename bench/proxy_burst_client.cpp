// Opens N connections to an HTTP proxy at once, sends each a GET, and reads each answer to its
// end. Prints how many were answered (a status line and an orderly end), the slowest answer and
// the wall time. Usage: proxy_burst_client PORT URL N [--distinct] [--timeout SECONDS]
// With --distinct each request asks for URL?n (URL&n when URL has a query; n = 0..N-1), so
// that none is a cache hit.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Client {
  int fd = -1;
  std::string request;
  std::size_t sent = 0;
  std::string head; // the first bytes of the answer
  bool done = false;
  bool answered = false;
  double seconds = 0;
};

} // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s PORT URL N [--distinct] [--timeout SECONDS]\n", argv[0]);
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::string url = argv[2];
  const int count = std::atoi(argv[3]);
  bool distinct = false;
  double timeout = 60;
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--distinct") == 0)
      distinct = true;
    else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
      timeout = std::atof(argv[++i]);
  }

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<Client> clients(static_cast<std::size_t>(count));
  const char joint = url.find('?') == std::string::npos ? '?' : '&';
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < count; ++i) {
    Client &c = clients[static_cast<std::size_t>(i)];
    c.request = "GET " + url + (distinct ? joint + std::to_string(i) : "") + " HTTP/1.0\r\n\r\n";
    c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (c.fd < 0 || (::connect(c.fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
                     errno != EINPROGRESS)) {
      c.done = true;
    }
  }

  char piece[65536];
  int open = count;
  std::vector<pollfd> polls;
  std::vector<std::size_t> which;
  while (open > 0 && std::chrono::duration<double>(Clock::now() - start).count() < timeout) {
    polls.clear();
    which.clear();
    for (std::size_t i = 0; i < clients.size(); ++i) {
      const Client &c = clients[i];
      if (!c.done) {
        polls.push_back({c.fd, static_cast<short>(c.sent < c.request.size() ? POLLOUT : POLLIN), 0});
        which.push_back(i);
      }
    }
    if (polls.empty() || ::poll(polls.data(), polls.size(), 100) <= 0)
      continue;
    for (std::size_t k = 0; k < polls.size(); ++k) {
      if (polls[k].revents == 0)
        continue;
      Client &c = clients[which[k]];
      if (c.sent < c.request.size()) {
        const ssize_t n = ::send(c.fd, c.request.data() + c.sent, c.request.size() - c.sent, MSG_NOSIGNAL);
        if (n > 0)
          c.sent += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EAGAIN) {
          c.done = true;
          --open;
        }
        continue;
      }
      const ssize_t n = ::recv(c.fd, piece, sizeof piece, 0);
      if (n > 0) {
        if (c.head.size() < 16)
          c.head.append(piece, static_cast<std::size_t>(std::min<ssize_t>(n, 16)));
        continue;
      }
      if (n < 0 && errno == EAGAIN)
        continue;
      c.done = true;
      --open;
      c.answered = n == 0 && c.head.starts_with("HTTP/");
      c.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  int answered = 0;
  double slowest = 0;
  for (Client &c : clients) {
    if (c.answered) {
      ++answered;
      slowest = std::max(slowest, c.seconds);
    }
    if (c.fd >= 0)
      ::close(c.fd);
  }
  std::printf("%d %d %.3f %.3f\n", answered, count, slowest, wall);
  return 0;
}
