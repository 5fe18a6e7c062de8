#include "proxy/platform/dde_client.h"

#include "proxy/platform/dde_wire.h"
#include "proxy/platform/program_launch.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ql {

namespace {

constexpr int kConnectAnswerMs = 2000;
constexpr int kServicePollMs = 50;

} // namespace

TDdeClientConv::TDdeClientConv() : launcher_(LaunchProgram) {}

TDdeClientConv::~TDdeClientConv() {
  CloseLink();
}

void TDdeClientConv::SetLink(const QString &service, const QString &topic) {
  CloseLink();
  service_ = service;
  topic_ = topic;
}

bool TDdeClientConv::OpenLink() {
  if (Connected())
    return true;
  if (Connect())
    return true;
  if (!launcher_ || launcher_(service_ + QLatin1Char(' ') + topic_) < 32)
    return false;
  const QDeadlineTimer deadline(kServiceStartMs);
  while (!QFile::exists(DdeServicePath(service_)) && !deadline.hasExpired())
    QThread::msleep(kServicePollMs);
  return Connect();
}

bool TDdeClientConv::Connect() {
  if (service_.isEmpty() || service_.contains(QLatin1Char('/')))
    return false;
  const QByteArray path = QFile::encodeName(DdeServicePath(service_));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
    return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return false;
  if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  char answer = 0;
  QByteArray reply;
  if (!SendDdeFrame(fd_, kDdeConnect, topic_.toUtf8(), kConnectAnswerMs) ||
      !ReadDdeFrame(fd_, answer, reply, kConnectAnswerMs) || answer != kDdeAck) {
    CloseLink();
    return false;
  }
  return true;
}

void TDdeClientConv::CloseLink() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool TDdeClientConv::Transact(char kind, const QByteArray &body, char &answer, QByteArray &reply) {
  if (!Connected())
    return false;
  if (!SendDdeFrame(fd_, kind, body, kTimeoutMs) || !ReadDdeFrame(fd_, answer, reply, kTimeoutMs)) {
    CloseLink();
    return false;
  }
  return true;
}

QByteArray TDdeClientConv::RequestData(const QByteArray &item) {
  char answer = 0;
  QByteArray reply;
  if (!Transact(kDdeRequest, item, answer, reply) || answer != kDdeData)
    return {};
  return reply;
}

bool TDdeClientConv::ExecuteMacro(const QByteArray &command, bool wait) {
  const QByteArray body = (wait ? QByteArray("1") : QByteArray("0")) + command;
  if (!wait)
    return Connected() && SendDdeFrame(fd_, kDdeExecute, body, kTimeoutMs);
  char answer = 0;
  QByteArray reply;
  return Transact(kDdeExecute, body, answer, reply) && answer == kDdeAck;
}

bool TDdeClientConv::PokeData(const QByteArray &item, const QByteArray &data) {
  char answer = 0;
  QByteArray reply;
  return Transact(kDdePoke, item + '\0' + data, answer, reply) && answer == kDdeAck;
}

} // namespace ql
