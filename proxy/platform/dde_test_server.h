#pragma once

#include "proxy/platform/dde_server.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace ql {

// One message a client sent to a test service: Connect (with the topic only), Request, Execute
// or Poke (dde_wire.h kinds).
struct TDdeExchange {
  QString topic;
  char kind = 0;
  QByteArray item; // the request's or poke's item, or the command
  QByteArray data; // the poke's data
  bool wait = true;
};

// A DDE service for tests, standing in for a browser: it records every message of every
// conversation and answers by its script. Conversations open on every topic not refused;
// requests get the scripted replies for their item in order (the last one repeating; empty
// without a script); commands and pokes are accepted. Listens from its creation to its
// destruction. Thread-safe.
class TDdeTestServer : public TDdeHandler {
public:
  explicit TDdeTestServer(const QString &service);
  ~TDdeTestServer() override;

  void RefuseTopic(const QString &topic);
  void Reply(const QByteArray &item, const QByteArray &data);

  bool Listening() const { return server_ && server_->Listening(); }
  std::vector<TDdeExchange> Exchanges() const;
  // Waits up to ms for at least count recorded messages (a command sent without waiting may
  // still be on its way); true when they are there.
  bool WaitForExchanges(std::size_t count, int ms) const;

  bool Connect(const QString &topic) override;
  QByteArray Request(const QString &topic, const QByteArray &item) override;
  bool Execute(const QString &topic, const QByteArray &command, bool wait) override;
  bool Poke(const QString &topic, const QByteArray &item, const QByteArray &data) override;

private:
  void Record(TDdeExchange exchange);

  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  std::vector<TDdeExchange> exchanges_;
  std::set<QString> refused_;
  std::map<QByteArray, std::deque<QByteArray>> replies_;
  std::unique_ptr<TDdeServer> server_;
};

} // namespace ql
