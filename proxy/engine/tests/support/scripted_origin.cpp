#include "support/scripted_origin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace ql::test {

std::string HttpResponse(const std::string &status, const std::string &contentType, const std::string &body,
                         const std::string &extraHeaders) {
  return "HTTP/1.0 " + status + "\r\nContent-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

ScriptedOrigin::ScriptedOrigin(Script script, const char *address_text) : script_(std::move(script)) {
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (::inet_pton(AF_INET, address_text, &address.sin_addr) != 1)
    throw std::runtime_error("scripted origin: not an IPv4 address");
  if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
      ::listen(listen_fd_, 64) != 0)
    throw std::runtime_error("scripted origin cannot listen");
  socklen_t length = sizeof address;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr *>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

ScriptedOrigin::~ScriptedOrigin() {
  stop_ = true;
  thread_.join();
  for (std::thread &worker : workers_)
    worker.join();
  ::close(listen_fd_);
}

std::vector<std::string> ScriptedOrigin::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ScriptedOrigin::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void ScriptedOrigin::Run() {
  while (!stop_) {
    pollfd p{listen_fd_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0)
      continue;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0)
      workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

namespace {

// The Content-Length of a request header, 0 when none.
std::size_t BodyLength(const std::string &header) {
  std::string lower = header;
  for (char &c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::size_t at = lower.find("\ncontent-length:");
  return at == std::string::npos ? 0 : std::stoul(header.substr(at + 16));
}

bool SendAll(int fd, const char *data, std::size_t n) {
  while (n > 0) {
    const ssize_t sent = ::send(fd, data, n, MSG_NOSIGNAL);
    if (sent <= 0)
      return false;
    data += sent;
    n -= static_cast<std::size_t>(sent);
  }
  return true;
}

} // namespace

void ScriptedOrigin::Serve(int fd) {
  std::string request;
  char piece[65536];
  std::size_t wanted = std::string::npos;
  while (holdReading_ && !stop_)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  while (!stop_ && request.size() < wanted) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0)
      continue;
    const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
    if (got <= 0)
      break;
    request.append(piece, static_cast<std::size_t>(got));
    const std::size_t end = request.find("\r\n\r\n");
    if (wanted == std::string::npos && end != std::string::npos)
      wanted = end + 4 + BodyLength(request.substr(0, end + 2));
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  const OriginReply reply = script_(request);
  const std::size_t step =
      reply.chunkSize > 0 ? static_cast<std::size_t>(reply.chunkSize) : reply.bytes.size();
  for (std::size_t at = 0; at < reply.bytes.size() && !stop_; at += step) {
    if (!SendAll(fd, reply.bytes.data() + at, std::min(step, reply.bytes.size() - at)))
      break;
    if (reply.pause.count() > 0)
      std::this_thread::sleep_for(reply.pause);
  }
  while (reply.stall && !stop_)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (reply.reset) {
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
    return;
  }
  ::shutdown(fd, SHUT_WR);
  // Let the peer read to the end before the close.
  for (int i = 0; i < 100 && !stop_; ++i) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20) > 0 && ::recv(fd, piece, sizeof piece, 0) <= 0)
      break;
  }
  ::close(fd);
}

} // namespace ql::test
