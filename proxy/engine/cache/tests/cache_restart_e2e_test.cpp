// The real program's cache across a kill: after a restart it lists only what it holds, and a
// download leaves no file behind in TEMP while it runs.
#include "support/cache_test_util.h"
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>

namespace ql::test {
namespace {

class CacheRestartTest : public ProxyRoadTest {
protected:
  // The number of entries the /cache page finds, of every kind.
  int ListedEntries() {
    const std::string page =
        Get("http://quenlark.invalid/cache?page=1&text=y&images=y&video=y&audio=y&other=y&title=&url=");
    if (page.find("No matches found") != std::string::npos)
      return 0;
    const QRegularExpressionMatch found =
        QRegularExpression("(\\d+) match(es)? found").match(QString::fromStdString(page));
    return found.hasMatch() ? found.captured(1).toInt() : -1;
  }

  void Kill() {
    ::kill(static_cast<pid_t>(proxy.ProcessId()), SIGKILL);
    ASSERT_TRUE(proxy.WaitForExit(10000));
  }
};

// Evictions and replacements since the last orderly exit are in the journal, and an entry that
// a kill left without its body is dropped at the start: the cache lists exactly the objects it
// can serve.
TEST_F(CacheRestartTest, AfterAKillTheCacheListsOnlyWhatItHolds) {
  ScriptedOrigin origin([](const std::string &request) {
    const std::string body(1000, request.find("/again") != std::string::npos ? 'a' : 'o');
    return OriginReply{HttpResponse("200 OK", "text/plain", body, kModified)};
  });
  proxy.Values()["Cache"]["MaxCacheSize"] = "10000";
  StartProxy();
  std::vector<std::string> urls;
  for (int i = 0; i < 64; ++i) {
    urls.push_back(Url(origin, "/object/" + std::to_string(i)));
    ASSERT_NE(Get(urls.back()).find(std::string(1000, 'o')), std::string::npos);
    if (i % 8 == 0)
      Get(Url(origin, "/again"));
  }
  urls.push_back(Url(origin, "/again"));
  Kill();

  StartProxy();
  const int listed = ListedEntries();
  Get("http://quenlark.invalid/offline?quenlark.invalid/", "Referer: http://quenlark.invalid/cache\r\n");
  int served = 0;
  for (const std::string &url : urls) {
    const std::string answer = Get(url);
    if (answer.starts_with("HTTP/1.0 200"))
      ++served;
    else
      EXPECT_NE(answer.find("Not in Cache"), std::string::npos) << answer.substr(0, 80);
  }
  EXPECT_GT(served, 0);
  EXPECT_EQ(listed, served);
}

// The download has no name while it runs; once whole it is the body file, and TEMP is empty.
TEST_F(CacheRestartTest, ADownloadLeavesNothingInTemp) {
  const std::string body(20000, 'd');
  ScriptedOrigin origin([&](const std::string &) {
    OriginReply reply{HttpResponse("200 OK", "text/plain", body, kModified)};
    reply.chunkSize = static_cast<int>(reply.bytes.size() / 2 + 1);
    reply.pause = std::chrono::milliseconds(800);
    return reply;
  });
  StartProxy();
  EXPECT_NE(Get(Url(origin, "/slow")).find(body), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return Files(proxy.DataDir(), "*.ADL").size() == 1; }));
  QFile stored(proxy.DataDir() + "/" + Files(proxy.DataDir(), "*.ADL").front());
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(stored.readAll().toStdString(), body);
  EXPECT_TRUE(NoDownloadLeft(proxy.TempDir()));
}

} // namespace
} // namespace ql::test
