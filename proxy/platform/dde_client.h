#pragma once

#include "proxy/platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace ql {

// A DDE client conversation in manual connect mode, the stand-in for the platform's: SetLink
// names the service and topic, OpenLink opens the conversation, the transactions run on it and
// CloseLink ends it. The conversation is a connection to the service's socket (dde_wire.h).
//
// When no conversation opens, OpenLink starts, once, the program whose command line is the
// service name, a blank and the topic (the launcher; LaunchProgram unless replaced), and when
// that program starts it waits up to kServiceStartMs for the service to appear and tries once
// more. Every transaction waits at most kTimeoutMs for its answer; a failed one leaves the
// conversation closed. Blocking; GUI thread only.
class TDdeClientConv {
public:
  static constexpr int kTimeoutMs = 5000;
  static constexpr int kServiceStartMs = 2000;

  TDdeClientConv();
  ~TDdeClientConv();
  TDdeClientConv(const TDdeClientConv &) = delete;
  TDdeClientConv &operator=(const TDdeClientConv &) = delete;

  // Closes a conversation that is open and sets the names for the next OpenLink.
  void SetLink(const QString &service, const QString &topic);
  bool OpenLink();
  void CloseLink();
  bool Connected() const { return fd_ >= 0; }

  // The server's reply to a request for item; empty when there is none.
  QByteArray RequestData(const QByteArray &item);
  // Sends a command; with wait, true only when the server accepted it.
  bool ExecuteMacro(const QByteArray &command, bool wait);
  // Sends data to an item; true when the server accepted it.
  bool PokeData(const QByteArray &item, const QByteArray &data);

  void SetLauncher(std::function<UINT(const QString &commandLine)> launcher) {
    launcher_ = std::move(launcher);
  }

private:
  bool Connect();
  // Sends a message and reads its answer; closes the conversation on failure.
  bool Transact(char kind, const QByteArray &body, char &answer, QByteArray &reply);

  QString service_;
  QString topic_;
  int fd_ = -1;
  std::function<UINT(const QString &)> launcher_;
};

} // namespace ql
