// Links planted, symbolic or hard, under every name the real program writes in its data folder
// and its settings folder: whatever the program writes, the files the links lead to stay as
// they were, and the program's own files end up as files of their own.
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_format.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace ql::test {
namespace {

enum class TLink { Symbolic, Hard };

class PlantedLinksProgramTest : public ProxyRoadTest, public ::testing::WithParamInterface<TLink> {
protected:
  QString ConfigDir() const { return QDir(proxy.DataDir() + "/../../../config/quenlark").absolutePath(); }

  // A file outside the program's folders, and a link to it at path.
  void Plant(const QString &path) {
    const QString victim = victims_.filePath(QString::number(planted_.size()));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("untouched " + path.toUtf8());
    file.close();
    QFile::remove(path);
    const QByteArray from = QFile::encodeName(victim);
    const QByteArray to = QFile::encodeName(path);
    ASSERT_EQ(GetParam() == TLink::Hard ? ::link(from, to) : ::symlink(from, to), 0) << path.toStdString();
    planted_.emplace_back(victim, path);
  }

  QTemporaryDir victims_;
  std::vector<std::pair<QString, QString>> planted_; // victim, link
};

TEST_P(PlantedLinksProgramTest, NothingIsWrittenThroughALink) {
  ScriptedOrigin origin([](const std::string &) {
    return OriginReply{HttpResponse("200 OK", "text/x-planted", std::string(3000, 'p'), kModified)};
  });
  // A bookmark file to start from, so that the start makes auto.bak from it.
  const QString data = proxy.DataDir();
  ASSERT_TRUE(QDir().mkpath(data));
  TBookmarkOutline tree;
  auto folder = std::make_unique<TBMInfo>();
  folder->Folder = 1;
  folder->Title = "Kept";
  tree.Append(nullptr, std::move(folder));
  const QByteArray bookmarks = WriteBookmarkFile(tree);
  {
    QFile file(data + "/auto.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bookmarks);
  }
  Plant(data + "/auto.bak.tmp");
  StartProxy();
  // The bookmark page shows the tree once the program has read it and runs its event loop.
  EXPECT_NE(Get("http://quenlark.invalid/bookmarks").find("Kept"), std::string::npos);

  // What the run writes next: downloads, bodies, the learned MIME type, the journal after ten
  // stores; at the end the cache index, the bookmark file and the settings.
  for (const char *name : {"auto.dat", "auto.tmp", "CACHE.DAT", "TMPCACHE.DAT", "CACHE.BAK", "MIMETYPE.DAT",
                           "MIMETYPE.DAT.tmp", "1.ADL", "4.ADL", "10.ADL", "TEMP/ts1.adr", "TEMP/ts7.adr"})
    Plant(data + "/" + name);
  for (const char *name : {"registry.reg", "registry.reg.tmp"})
    Plant(ConfigDir() + "/" + name);
  for (int page = 1; page <= 10; ++page) {
    EXPECT_EQ(Get(Url(origin, "/page" + std::to_string(page))),
              HttpResponse("200 OK", "text/x-planted", std::string(3000, 'p'), kModified));
  }
  proxy.Stop();
  EXPECT_FALSE(proxy.Running());

  for (const auto &[victim, link] : planted_) {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "untouched " + link.toUtf8()) << link.toStdString();
  }
  // The program's own files are files of their own again, and whole.
  for (const QString &path : {data + "/auto.dat", data + "/auto.bak", data + "/CACHE.DAT",
                              data + "/MIMETYPE.DAT", ConfigDir() + "/registry.reg"}) {
    struct stat facts {};
    ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &facts), 0) << path.toStdString();
    EXPECT_TRUE(S_ISREG(facts.st_mode)) << path.toStdString();
    EXPECT_EQ(facts.st_nlink, 1u) << path.toStdString();
  }
  TBookmarkOutline saved;
  ASSERT_TRUE(TBookmarkFile(data).Load(saved));
  EXPECT_EQ(WriteBookmarkFile(saved), bookmarks);
  Registry registry(ConfigDir() + "/registry.reg");
  EXPECT_TRUE(registry.LoadError().isEmpty());
  EXPECT_NE(TRegIniFile(kQuenlarkSettingsKey, registry).ReadInteger("Control Form", "X", -1), -1);
  QFile mimes(data + "/MIMETYPE.DAT");
  ASSERT_TRUE(mimes.open(QIODevice::ReadOnly));
  EXPECT_TRUE(mimes.readAll().contains("text/x-planted"));
}

INSTANTIATE_TEST_SUITE_P(Links, PlantedLinksProgramTest, ::testing::Values(TLink::Symbolic, TLink::Hard),
                         [](const auto &info) { return info.param == TLink::Hard ? "Hard" : "Symbolic"; });

} // namespace
} // namespace ql::test
