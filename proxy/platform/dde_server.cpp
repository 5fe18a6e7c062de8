#include "proxy/platform/dde_server.h"

#include "proxy/platform/dde_wire.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ql {

namespace {

// How long a conversation may wait between two messages before the server drops it.
constexpr int kIdleMs = 10000;

} // namespace

TDdeServer::TDdeServer(const QString &service, TDdeHandler &handler) : handler_(handler) {
  QDir().mkpath(DdeServiceDirectory());
  QFile::setPermissions(DdeServiceDirectory(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  path_ = DdeServicePath(service);
  const QByteArray path = QFile::encodeName(path_);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path) || ::pipe2(wakeFds_, O_CLOEXEC) != 0)
    return;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return;
  ::unlink(path.constData());
  if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    return;
  }
  listenFd_ = fd;
  thread_ = std::thread([this] { Run(); });
}

TDdeServer::~TDdeServer() {
  if (thread_.joinable()) {
    const char stop = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFds_[1], &stop, 1);
    thread_.join();
  }
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink(QFile::encodeName(path_).constData());
  }
  for (const int fd : wakeFds_) {
    if (fd >= 0)
      ::close(fd);
  }
}

void TDdeServer::Run() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    if (fds[1].revents != 0)
      return;
    if ((fds[0].revents & POLLIN) == 0)
      continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
      continue;
    Serve(fd);
    ::close(fd);
  }
}

void TDdeServer::Serve(int fd) {
  char kind = 0;
  QByteArray body;
  if (!ReadDdeFrame(fd, kind, body, kIdleMs) || kind != kDdeConnect)
    return;
  const QString topic = QString::fromUtf8(body);
  const bool open = handler_.Connect(topic);
  if (!SendDdeFrame(fd, open ? kDdeAck : kDdeNak, {}, kIdleMs) || !open)
    return;
  while (ReadDdeFrame(fd, kind, body, kIdleMs)) {
    bool sent = true;
    if (kind == kDdeRequest) {
      sent = SendDdeFrame(fd, kDdeData, handler_.Request(topic, body), kIdleMs);
    } else if (kind == kDdeExecute && !body.isEmpty()) {
      const bool wait = body[0] == '1';
      const bool done = handler_.Execute(topic, body.mid(1), wait);
      if (wait)
        sent = SendDdeFrame(fd, done ? kDdeAck : kDdeNak, {}, kIdleMs);
    } else if (kind == kDdePoke) {
      const qsizetype zero = body.indexOf('\0');
      const bool done = zero >= 0 && handler_.Poke(topic, body.left(zero), body.mid(zero + 1));
      sent = SendDdeFrame(fd, done ? kDdeAck : kDdeNak, {}, kIdleMs);
    } else {
      sent = SendDdeFrame(fd, kDdeNak, {}, kIdleMs);
    }
    if (!sent)
      return;
  }
}

} // namespace ql
