#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

namespace ql {

// What a DDE service answers. Called on the server's own thread, one conversation at a time.
class TDdeHandler {
public:
  virtual ~TDdeHandler() = default;
  // Whether a conversation on the topic opens.
  virtual bool Connect(const QString &topic) = 0;
  // The reply to a request.
  virtual QByteArray Request(const QString &topic, const QByteArray &item) = 0;
  // Whether a command or a poke is accepted. wait: the client waits for the answer.
  virtual bool Execute(const QString &topic, const QByteArray &command, bool wait) = 0;
  virtual bool Poke(const QString &topic, const QByteArray &item, const QByteArray &data) = 0;
};

// A DDE service of the stand-in (dde_wire.h): listens on the socket of its service name and
// serves each conversation in turn on a thread of its own, through the handler, which it does
// not own and which must outlive it. Listening replaces the socket of a service that is gone.
// Destroying the server ends its thread and removes its socket.
class TDdeServer {
public:
  TDdeServer(const QString &service, TDdeHandler &handler);
  ~TDdeServer();
  TDdeServer(const TDdeServer &) = delete;
  TDdeServer &operator=(const TDdeServer &) = delete;

  bool Listening() const { return listenFd_ >= 0; }

private:
  void Run();
  void Serve(int fd);

  TDdeHandler &handler_;
  QString path_;
  int listenFd_ = -1;
  int wakeFds_[2] = {-1, -1};
  std::thread thread_;
};

} // namespace ql
