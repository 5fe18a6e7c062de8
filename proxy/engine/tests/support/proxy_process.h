#pragma once

#include "support/loopback_exchange.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace ql::test {

// The real quenlark executable (QUENLARK_BIN) run with -platform offscreen, temporary XDG
// directories, the given settings written into its registry file beforehand and the given
// test hooks in its environment. The proxy port is a free loopback port. Start waits until
// the proxy accepts connections; Stop asks the program to end (SIGTERM) and waits, so that it
// saves its cache index.
class ProxyProcess {
public:
  // settings: section -> (value name -> text) under the program's settings key.
  using Settings = std::map<std::string, std::map<std::string, std::string>>;

  ProxyProcess();
  ~ProxyProcess();

  // Settings for the next Start; HTTPProxyPort is added. Kept across restarts.
  Settings &Values() { return settings_; }
  // Test hooks for the next Start, by the name after "QUENLARK_TEST_" (see test_hooks.h), for
  // example Hooks()["TIMER_SCALE"] = "0.01". Kept across restarts.
  std::map<std::string, std::string> &Hooks() { return hooks_; }
  // Parameters of the program after "-platform offscreen", such as "/a". Kept across restarts.
  QStringList &Parameters() { return parameters_; }
  bool Start();
  void Stop();
  bool Running() const { return process_.state() == QProcess::Running; }
  qint64 ProcessId() const { return process_.processId(); }
  // Waits for the program to end by itself; false when it still runs after timeoutMs.
  bool WaitForExit(int timeoutMs);
  int ExitCode() const { return process_.exitCode(); }

  int Port() const { return port_; }
  // The data directory: the cache files live here.
  QString DataDir() const;
  QString TempDir() const { return DataDir() + "/TEMP"; }
  QByteArray Output() { return output_ += process_.readAll(); }

private:
  void WriteRegistry();

  QTemporaryDir home_;
  Settings settings_;
  std::map<std::string, std::string> hooks_;
  QStringList parameters_;
  QProcess process_;
  QByteArray output_;
  int port_ = 0;
};

// The resident memory of a process in KiB (from /proc), -1 when unknown.
long ResidentKiB(qint64 pid);
// The number of open file descriptors of a process (from /proc), -1 when unknown.
int OpenDescriptors(qint64 pid);

} // namespace ql::test
