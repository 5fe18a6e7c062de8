#include "loopback_client.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <thread>

namespace ql::test {

namespace {

ClientResult RunScript(std::uint16_t port, const ClientScript &script) {
  ClientResult result;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, script.address.c_str(), &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return result;
  }
  result.connected = true;
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(script.timeout.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>((script.timeout.count() % 1000) * 1000);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
  for (std::size_t i = 0; i < script.pieces.size(); ++i) {
    if (i > 0) {
      std::this_thread::sleep_for(script.pause);
    }
    const std::string &piece = script.pieces[i];
    std::size_t done = 0;
    while (done < piece.size()) {
      const ssize_t n = ::send(fd, piece.data() + done, piece.size() - done, MSG_NOSIGNAL);
      if (n <= 0) {
        break;
      }
      done += static_cast<std::size_t>(n);
    }
  }
  if (script.read && !script.closeAfterSending) {
    std::this_thread::sleep_for(script.readDelay);
    char buffer[16384];
    while (result.received.size() < script.readLimit) {
      const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
      if (n <= 0) {
        break;
      }
      result.received.append(buffer, static_cast<std::size_t>(n));
    }
  }
  if (script.reset) {
    const linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  }
  ::close(fd);
  return result;
}

} // namespace

namespace {

int ListenOn(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
  ::listen(fd, 5);
  return fd;
}

} // namespace

std::future<std::string> StartOrigin(std::uint16_t port, std::string response) {
  const int listening = ListenOn(port);
  return std::async(std::launch::async, [listening, response = std::move(response)] {
    const int fd = ::accept(listening, nullptr, nullptr);
    ::close(listening);
    std::string received;
    if (fd < 0) {
      return received;
    }
    timeval tv{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
    ::send(fd, response.data(), response.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return received;
  });
}

PortBlocker::PortBlocker(std::uint16_t port) : fd_(ListenOn(port)) {}

PortBlocker::~PortBlocker() {
  ::close(fd_);
}

std::future<ClientResult> StartClient(std::uint16_t port, ClientScript script) {
  return std::async(std::launch::async,
                    [port, script = std::move(script)] { return RunScript(port, script); });
}

bool PumpUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

ClientResult Finish(std::future<ClientResult> &client) {
  PumpUntil([&] { return client.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            std::chrono::seconds(30));
  return client.get();
}

} // namespace ql::test
