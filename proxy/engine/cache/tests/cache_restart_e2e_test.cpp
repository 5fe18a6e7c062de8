// The real program's cache across a kill: after a restart it lists only what it holds, and a
// download leaves no file behind in TEMP while it runs.
#include "proxy/engine/cache/cache_index_file.h"
#include "support/cache_test_util.h"
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/stat.h>

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

  // Waits until CACHE.BAK has not grown for a while: the worker has written what it was handed.
  void WaitForTheJournalToRest() {
    const QString journal = proxy.DataDir() + "/" + kJournalFileName;
    qint64 last = -1;
    WaitFor([&] {
      const qint64 size = QFileInfo(journal).size();
      const bool rests = size > 0 && size == last;
      last = size;
      QThread::msleep(150);
      return rests;
    });
  }

  // The bytes the origin below gives for a path: the path over and over, size bytes.
  static std::string OwnBytes(const std::string &request, std::size_t size) {
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    std::string body;
    while (body.size() < size)
      body += path + '|';
    body.resize(size);
    return body;
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
  proxy.Values()["Cache"]["MaxCacheSize"] = "40960";
  StartProxy();
  std::vector<std::string> urls;
  for (int i = 0; i < 64; ++i) {
    urls.push_back(Url(origin, "/object/" + std::to_string(i)));
    ASSERT_NE(Get(urls.back()).find(std::string(1000, 'o')), std::string::npos);
    if (i % 8 == 0)
      Get(Url(origin, "/again"));
  }
  urls.push_back(Url(origin, "/again"));
  // Killed once the last batch is on the disk, the entries it lists still have their bodies
  // (an eviction takes a body away only with the batch that carries it): some are there to serve.
  WaitForTheJournalToRest();
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

// A start after a kill removes the body files that no entry lists (stores whose batch was not
// yet written), so that the data folder holds what the cache lists and no more.
TEST_F(CacheRestartTest, AStartAfterAKillRemovesTheBodiesThatNoEntryLists) {
  ScriptedOrigin origin([](const std::string &request) {
    return OriginReply{HttpResponse("200 OK", "text/plain", OwnBytes(request, 1000), kModified)};
  });
  StartProxy();
  for (int i = 0; i < 13; ++i)
    ASSERT_EQ(Get(Url(origin, "/unlisted/" + std::to_string(i))).substr(0, 12), "HTTP/1.0 200");
  // The first ten are journaled; the last three have their bodies and no record yet.
  ASSERT_TRUE(WaitFor([&] {
    return Files(proxy.DataDir(), "*.ADL").size() == 13 &&
           QFileInfo(proxy.DataDir() + "/" + kJournalFileName).size() > 0;
  }));
  Kill();

  StartProxy();
  EXPECT_EQ(ListedEntries(), 10);
  EXPECT_EQ(Files(proxy.DataDir(), "*.ADL").size(), 10);
}

// Once IDs are past 2^31-1, new entries take the lowest free IDs, evicted entries' among them.
// A kill at any moment after that leaves no entry that serves another object's bytes, though
// all objects are of one size: an evicted entry's ID is taken again only once its removal is in
// the journal on the disk.
TEST_F(CacheRestartTest, AKillInTheReusedIdModeServesNoObjectWithAnotherOnesBytes) {
  ScriptedOrigin origin([](const std::string &request) {
    return OriginReply{HttpResponse("200 OK", "text/plain", OwnBytes(request, 1000), kModified)};
  });
  // A kept entry of the largest ID: from the start, new entries take the lowest free IDs.
  QDir().mkpath(proxy.DataDir());
  TCacheIndex seeded;
  seeded.Put(MakeItem(std::numeric_limits<int32_t>::max(), "http://seed.test:80/", 4, Preserved));
  WriteBytes(proxy.DataDir() + "/" + BodyFileName(std::numeric_limits<int32_t>::max()), "seed");
  ASSERT_TRUE(SaveCacheIndex(seeded, proxy.DataDir(), {}).Saved);
  // Room for three bodies: each store from the fourth on evicts one. The kill comes two stores
  // after the second batch, whose last entry is still there.
  proxy.Values()["Cache"]["MaxCacheSize"] = "12288";
  StartProxy();
  std::vector<std::string> urls;
  for (int i = 0; i < 22; ++i) {
    urls.push_back(Url(origin, "/reused/" + std::to_string(i)));
    ASSERT_EQ(Get(urls.back()).substr(0, 12), "HTTP/1.0 200");
  }
  // The last store comes as the origin's connection ends, a moment after the answer.
  QThread::msleep(300);
  Kill();

  StartProxy();
  Get("http://quenlark.invalid/offline?quenlark.invalid/", "Referer: http://quenlark.invalid/cache\r\n");
  int served = 0;
  for (const std::string &url : urls) {
    const std::string answer = Get(url);
    if (!answer.starts_with("HTTP/1.0 200"))
      continue;
    ++served;
    const std::size_t path = url.find("/reused/");
    EXPECT_EQ(answer.substr(answer.find("\r\n\r\n") + 4),
              OwnBytes("GET " + url.substr(path) + " HTTP/1.0", 1000))
        << url;
  }
  EXPECT_GT(served, 0);
}

// The size limit bounds the space the bodies take on the disk: each counts by whole blocks, so
// forty small objects do not fit in ten blocks.
TEST_F(CacheRestartTest, TheSizeLimitBoundsTheSpaceTheBodiesTakeOnTheDisk) {
  ScriptedOrigin origin([](const std::string &request) {
    return OriginReply{HttpResponse("200 OK", "text/plain", OwnBytes(request, 100), kModified)};
  });
  constexpr int64_t kLimit = 40960;
  proxy.Values()["Cache"]["MaxCacheSize"] = std::to_string(kLimit);
  StartProxy();
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(Get(Url(origin, "/small/" + std::to_string(i))).substr(0, 12), "HTTP/1.0 200");
  // Evicted bodies are removed behind the relay.
  int64_t taken = 0;
  QStringList bodies;
  WaitFor([&] {
    taken = 0;
    bodies = Files(proxy.DataDir(), "*.ADL");
    for (const QString &name : bodies) {
      struct stat body {};
      if (::stat(QFile::encodeName(proxy.DataDir() + "/" + name).constData(), &body) == 0)
        taken += static_cast<int64_t>(body.st_blocks) * 512;
    }
    return taken <= kLimit;
  });
  EXPECT_GE(bodies.size(), 5);
  EXPECT_LE(taken, kLimit);
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
