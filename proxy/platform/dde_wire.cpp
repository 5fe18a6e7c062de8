#include "proxy/platform/dde_wire.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QtEndian>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

// Waits until fd is ready for events or the deadline passes.
bool WaitReady(int fd, short events, const QDeadlineTimer &deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int left = static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
    const int n = ::poll(&p, 1, left);
    if (n < 0 && errno == EINTR)
      continue;
    return n > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
  }
}

bool SendAll(int fd, const char *data, qsizetype size, const QDeadlineTimer &deadline) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, static_cast<size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      data += n;
      size -= n;
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitReady(fd, POLLOUT, deadline))
      continue;
    return false;
  }
  return true;
}

bool ReadAll(int fd, char *data, qsizetype size, const QDeadlineTimer &deadline) {
  while (size > 0) {
    if (!WaitReady(fd, POLLIN, deadline))
      return false;
    const ssize_t n = ::recv(fd, data, static_cast<size_t>(size), MSG_DONTWAIT);
    if (n > 0) {
      data += n;
      size -= n;
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
      continue;
    return false;
  }
  return true;
}

} // namespace

QString DdeServiceDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/quenlark/dde");
}

QString DdeServicePath(const QString &service) {
  return DdeServiceDirectory() + QLatin1Char('/') + service;
}

bool DdeServiceListed(const QString &service) {
  struct stat status {};
  return ::lstat(QFile::encodeName(DdeServicePath(service)).constData(), &status) == 0 &&
         S_ISSOCK(status.st_mode);
}

bool SendDdeFrame(int fd, char kind, const QByteArray &body, int timeoutMs) {
  if (body.size() + 1 > kMaxDdeFrame)
    return false;
  QByteArray frame(4, '\0');
  qToLittleEndian(static_cast<quint32>(body.size() + 1), frame.data());
  frame.append(kind);
  frame.append(body);
  return SendAll(fd, frame.constData(), frame.size(), QDeadlineTimer(timeoutMs));
}

bool ReadDdeFrame(int fd, char &kind, QByteArray &body, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  char head[4];
  if (!ReadAll(fd, head, sizeof head, deadline))
    return false;
  const quint32 length = qFromLittleEndian<quint32>(head);
  if (length == 0 || length > static_cast<quint32>(kMaxDdeFrame))
    return false;
  QByteArray frame(static_cast<qsizetype>(length), '\0');
  if (!ReadAll(fd, frame.data(), frame.size(), deadline))
    return false;
  kind = frame[0];
  body = frame.mid(1);
  return true;
}

} // namespace ql
