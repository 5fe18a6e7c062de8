#include "support/proxy_process.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

namespace ql::test {

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

ProxyProcess::ProxyProcess() {
  port_ = FreePort();
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
