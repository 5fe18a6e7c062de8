#pragma once

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

// A free TCP port on 127.0.0.1.
int FreeLoopbackPort();

// The resident memory of a process in KiB (from /proc), -1 when unknown.
long ResidentKiB(qint64 pid);
// The number of open file descriptors of a process (from /proc), -1 when unknown.
int OpenDescriptors(qint64 pid);

// A blocking socket connected to 127.0.0.1:port (with a receive buffer of that size when
// receiveBuffer > 0), or -1 when the connection is refused.
int ConnectLoopback(int port, int receiveBuffer = 0);

// Sends request to 127.0.0.1:port and returns every byte until the peer closes, or what came
// within timeoutMs. When abortAfter > 0 the connection is reset once that many bytes came.
std::string Exchange(int port, const std::string &request, int timeoutMs = 20000, std::size_t abortAfter = 0);

// Reads fd at most pieceSize bytes at a time, pausing pauseMs after each piece, until the peer
// closes or 10 s pass without a byte; closes fd and returns what came.
std::string ReadUntilClosed(int fd, std::size_t pieceSize, int pauseMs = 0);

} // namespace ql::test
