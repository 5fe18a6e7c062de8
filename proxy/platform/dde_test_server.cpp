#include "proxy/platform/dde_test_server.h"

#include "proxy/platform/dde_wire.h"

#include <chrono>

namespace ql {

TDdeTestServer::TDdeTestServer(const QString &service)
    : server_(std::make_unique<TDdeServer>(service, *this)) {}

TDdeTestServer::~TDdeTestServer() {
  server_.reset();
}

void TDdeTestServer::RefuseTopic(const QString &topic) {
  const std::lock_guard<std::mutex> lock(mutex_);
  refused_.insert(topic);
}

void TDdeTestServer::Reply(const QByteArray &item, const QByteArray &data) {
  const std::lock_guard<std::mutex> lock(mutex_);
  replies_[item].push_back(data);
}

std::vector<TDdeExchange> TDdeTestServer::Exchanges() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return exchanges_;
}

bool TDdeTestServer::WaitForExchanges(std::size_t count, int ms) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return recorded_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return exchanges_.size() >= count; });
}

void TDdeTestServer::Record(TDdeExchange exchange) {
  exchanges_.push_back(std::move(exchange));
  recorded_.notify_all();
}

bool TDdeTestServer::Connect(const QString &topic) {
  const std::lock_guard<std::mutex> lock(mutex_);
  Record({topic, kDdeConnect, {}, {}, true});
  return refused_.count(topic) == 0;
}

QByteArray TDdeTestServer::Request(const QString &topic, const QByteArray &item) {
  const std::lock_guard<std::mutex> lock(mutex_);
  Record({topic, kDdeRequest, item, {}, true});
  auto found = replies_.find(item);
  if (found == replies_.end() || found->second.empty())
    return {};
  QByteArray reply = found->second.front();
  if (found->second.size() > 1)
    found->second.pop_front();
  return reply;
}

bool TDdeTestServer::Execute(const QString &topic, const QByteArray &command, bool wait) {
  const std::lock_guard<std::mutex> lock(mutex_);
  Record({topic, kDdeExecute, command, {}, wait});
  return true;
}

bool TDdeTestServer::Poke(const QString &topic, const QByteArray &item, const QByteArray &data) {
  const std::lock_guard<std::mutex> lock(mutex_);
  Record({topic, kDdePoke, item, data, true});
  return true;
}

} // namespace ql
