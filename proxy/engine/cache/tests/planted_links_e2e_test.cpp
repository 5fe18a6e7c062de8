// The files the real program writes into its data folder: made with the user's umask, and a
// symbolic link planted under one of their names is replaced or refused, never written
// through.
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace ql::test {
namespace {

class PlantedLinksTest : public ProxyRoadTest {
protected:
  PlantedLinksTest() { previousMask_ = ::umask(077); }
  ~PlantedLinksTest() override { ::umask(previousMask_); }

  // A file outside the data folder, and a link to it under name in the data folder.
  void Plant(const QString &name) {
    const QString victim = victims_.filePath(QString(name).replace('/', '_'));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("untouched");
    file.close();
    ASSERT_TRUE(QFile::link(victim, proxy.DataDir() + "/" + name));
    planted_.push_back(victim);
  }

  QTemporaryDir victims_;
  std::vector<QString> planted_;
  mode_t previousMask_ = 0;
};

TEST_F(PlantedLinksTest, WritesNeverFollowALinkAndKeepTheUmask) {
  ScriptedOrigin origin([](const std::string &) {
    return OriginReply{HttpResponse("200 OK", "text/x-planted", std::string(5000, 'p'), kModified)};
  });
  ASSERT_TRUE(QDir().mkpath(proxy.DataDir()));
  Plant("TMPCACHE.DAT");
  Plant("CACHE.DAT.tmp");
  Plant("MIMETYPE.DAT");
  StartProxy();
  Plant("TEMP/ts1.adr");
  Plant("CACHE.BAK");

  EXPECT_EQ(Get(Url(origin, "/page")),
            HttpResponse("200 OK", "text/x-planted", std::string(5000, 'p'), kModified));
  proxy.Stop();

  for (const QString &victim : planted_) {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "untouched") << victim.toStdString();
  }
  const QStringList bodies = Files(proxy.DataDir(), "*.ADL");
  ASSERT_EQ(bodies.size(), 1);
  for (const QString &name : {bodies.front(), QString("CACHE.DAT"), QString("MIMETYPE.DAT")}) {
    const QFileInfo info(proxy.DataDir() + "/" + name);
    EXPECT_FALSE(info.isSymLink()) << name.toStdString();
    struct stat facts {};
    ASSERT_EQ(::stat(QFile::encodeName(info.filePath()).constData(), &facts), 0) << name.toStdString();
    EXPECT_EQ(facts.st_mode & 0777, 0600u) << name.toStdString();
  }
}

// A link planted as the journal CACHE.BAK is not followed: the start does not read it and the
// first batch puts a journal of its own in its place, so that the link's target keeps its bytes
// and every store goes on being journaled: after a kill the next start serves them all.
TEST_F(PlantedLinksTest, AJournalLinkIsReplacedAndTheStoresGoOnBeingJournaled) {
  ScriptedOrigin origin([](const std::string &) {
    return OriginReply{HttpResponse("200 OK", "text/plain", std::string(500, 'j'), kModified)};
  });
  ASSERT_TRUE(QDir().mkpath(proxy.DataDir()));
  Plant("CACHE.BAK");
  StartProxy();
  std::vector<std::string> urls;
  for (int i = 0; i < 10; ++i) {
    urls.push_back(Url(origin, "/journaled/" + std::to_string(i)));
    ASSERT_EQ(Get(urls.back()).substr(0, 12), "HTTP/1.0 200");
  }
  const QString journal = proxy.DataDir() + "/CACHE.BAK";
  ASSERT_TRUE(WaitFor([&] { return !QFileInfo(journal).isSymLink() && QFileInfo(journal).size() > 0; }));
  ::kill(static_cast<pid_t>(proxy.ProcessId()), SIGKILL);
  ASSERT_TRUE(proxy.WaitForExit(10000));

  StartProxy();
  Get("http://quenlark.invalid/offline?quenlark.invalid/", "Referer: http://quenlark.invalid/cache\r\n");
  for (const std::string &url : urls)
    EXPECT_EQ(Get(url).substr(0, 12), "HTTP/1.0 200") << url;
  QFile victim(planted_.front());
  ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
  EXPECT_EQ(victim.readAll(), "untouched");
}

} // namespace
} // namespace ql::test
