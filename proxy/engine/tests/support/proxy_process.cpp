#include "support/proxy_process.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <vector>

namespace ql::test {

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

long ResidentKiB(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:"))
      return std::stol(line.substr(6));
  }
  return -1;
}

int OpenDescriptors(qint64 pid) {
  std::error_code error;
  int count = 0;
  for (std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", error), end;
       !error && it != end; it.increment(error))
    ++count;
  return error ? -1 : count;
}

int ConnectLoopback(int port, int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string Exchange(int port, const std::string &request, int timeoutMs, std::size_t abortAfter) {
  const int fd = ConnectLoopback(port);
  if (fd < 0)
    return {};
  std::size_t at = 0;
  while (at < request.size()) {
    const ssize_t sent = ::send(fd, request.data() + at, request.size() - at, MSG_NOSIGNAL);
    if (sent <= 0)
      break;
    at += static_cast<std::size_t>(sent);
  }
  std::string answer;
  char piece[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0)
      continue;
    const ssize_t got = ::recv(fd, piece, sizeof piece, 0);
    if (got <= 0)
      break;
    answer.append(piece, static_cast<std::size_t>(got));
    if (abortAfter > 0 && answer.size() >= abortAfter) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      break;
    }
  }
  ::close(fd);
  return answer;
}

std::string ReadUntilClosed(int fd, std::size_t pieceSize, int pauseMs) {
  std::string answer;
  std::vector<char> piece(pieceSize);
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0)
      break;
    const ssize_t got = ::recv(fd, piece.data(), piece.size(), 0);
    if (got <= 0)
      break;
    answer.append(piece.data(), static_cast<std::size_t>(got));
    if (pauseMs > 0)
      QThread::msleep(static_cast<unsigned long>(pauseMs));
  }
  ::close(fd);
  return answer;
}

ProxyProcess::ProxyProcess() {
  port_ = FreeLoopbackPort();
  process_.setProcessChannelMode(QProcess::MergedChannels);
}

ProxyProcess::~ProxyProcess() {
  if (Running()) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

QString ProxyProcess::DataDir() const {
  return home_.path() + "/data/quenlark/Cache";
}

void ProxyProcess::WriteRegistry() {
  settings_["Network"]["HTTPProxyPort"] = std::to_string(port_);
  QByteArray text = "; settings of the test run\n";
  for (const auto &[section, values] : settings_) {
    text += "[HKEY_CURRENT_USER\\Software\\Ostwick\\Quenlark\\" + QByteArray::fromStdString(section) + "]\n";
    for (const auto &[name, value] : values)
      text += "\"" + QByteArray::fromStdString(name) + "\"=\"" + QByteArray::fromStdString(value) + "\"\n";
    text += "\n";
  }
  QDir().mkpath(home_.path() + "/config/quenlark");
  QFile file(home_.path() + "/config/quenlark/registry.reg");
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    file.write(text);
}

bool ProxyProcess::Start() {
  WriteRegistry();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
  env.insert("XDG_DATA_HOME", home_.path() + "/data");
  env.insert("XDG_CACHE_HOME", home_.path() + "/cache");
  env.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
  env.insert("HOME", home_.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  for (const auto &[name, value] : hooks_)
    env.insert(QString::fromStdString("QUENLARK_TEST_" + name), QString::fromStdString(value));
  QDir().mkpath(home_.path() + "/runtime");
  QFile::setPermissions(home_.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  process_.setProcessEnvironment(env);
  process_.start(qEnvironmentVariable("QUENLARK_BIN"), QStringList{"-platform", "offscreen"} + parameters_);
  if (!process_.waitForStarted(10000))
    return false;
  for (int i = 0; i < 300; ++i) {
    const int fd = ConnectLoopback(port_);
    if (fd >= 0) {
      ::close(fd);
      return true;
    }
    if (process_.state() != QProcess::Running)
      return false;
    QThread::msleep(50);
  }
  return false;
}

bool ProxyProcess::WaitForExit(int timeoutMs) {
  const bool ended = process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
  Output();
  return ended;
}

void ProxyProcess::Stop() {
  if (!Running())
    return;
  ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
  if (!process_.waitForFinished(15000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
  Output();
}

} // namespace ql::test
