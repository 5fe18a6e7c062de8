#pragma once

#include "support/cache_test_util.h"
#include "support/proxy_process.h"
#include "support/scripted_origin.h"

#include <QDir>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

namespace ql::test {

inline const std::string kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
inline const std::string kModified = "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n";

// Waits until cond holds, at most timeoutMs.
inline bool WaitFor(const std::function<bool()> &cond, int timeoutMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    QThread::msleep(20);
  }
  return true;
}

// What read gives once it holds for holdMs (or what it gives after 10 s).
inline long Settled(const std::function<long()> &read, unsigned long holdMs = 200) {
  long value = -1;
  WaitFor([&] {
    const long before = value;
    value = read();
    QThread::msleep(holdMs);
    return value == before;
  });
  return value;
}

// The program's open descriptors once their number holds for 200 ms: the start-up and the
// first requests let go of files they had open for a moment.
inline int SettledDescriptors(qint64 pid) {
  return static_cast<int>(Settled([pid] { return OpenDescriptors(pid); }));
}

inline QStringList Files(const QString &dir, const QString &pattern) {
  return QDir(dir).entryList({pattern}, QDir::Files);
}

// The real program, on-line, with timers running a hundred times faster and origin.test
// resolving to 127.0.0.1 (and no other name reaching the resolver).
class ProxyRoadTest : public ::testing::Test {
protected:
  ProxyRoadTest() {
    proxy.Values()["Network"]["StartOffLine"] = "0";
    proxy.Hooks()["TIMER_SCALE"] = "0.01";
    proxy.Hooks()["HOSTS_ONLY"] = "1";
    proxy.Hooks()["HOSTS"] = "origin.test=127.0.0.1";
  }
  ~ProxyRoadTest() override { proxy.Stop(); }

  void StartProxy() { ASSERT_TRUE(proxy.Start()) << proxy.Output().toStdString(); }

  std::string Url(const ScriptedOrigin &origin, const std::string &path) const {
    return "http://origin.test:" + std::to_string(origin.Port()) + path;
  }
  std::string Get(const std::string &url, const std::string &extra = {}) {
    return Exchange(proxy.Port(), "GET " + url + " HTTP/1.0\r\n" + extra + "\r\n");
  }

  ProxyProcess proxy;
};

} // namespace ql::test
