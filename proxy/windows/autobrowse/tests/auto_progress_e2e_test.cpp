// An unattended session ("/a") over a site of a few hundred linked pages, then the same pages
// read off-line from the cache by a new engine on the same data directory: through the window
// over a test tree, and through the real program over its bookmark file.
#include "proxy/engine/autobrowse/autobrowse_session.h"
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/windows/autobrowse/auto_progress_form.h"
#include "support/proxy_process.h"
#include "support/road_fixture.h"
#include "support/scripted_origin.h"

#include <QDir>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <set>

namespace ql::test {
namespace {

constexpr int kSections = 20;
constexpr int kLeavesPerSection = 15;

// /index.html links to /s<i>.html, and each of those to its leaves /s<i>/<j>.html, which link
// back to the index. Every page carries its path as its text.
OriginReply LinkedSite(const std::string &request) {
  const std::string path = request.substr(4, request.find(' ', 4) - 4);
  std::string body = "<TITLE>" + path + "</TITLE><P>page " + path + "</P>";
  if (path == "/index.html") {
    for (int i = 0; i < kSections; ++i)
      body += "<A HREF=\"s" + std::to_string(i) + ".html\">section</A>";
  } else if (path.find('/', 1) == std::string::npos) {
    const std::string section = path.substr(1, path.size() - 6);
    for (int j = 0; j < kLeavesPerSection; ++j)
      body += "<A HREF=\"" + section + "/" + std::to_string(j) + ".html\">leaf</A>";
  } else {
    body += "<A HREF=\"/index.html\">home</A>";
  }
  return {HttpResponse("200 OK", "text/html", body)};
}

std::set<std::string> AllPaths() {
  std::set<std::string> paths{"/index.html"};
  for (int i = 0; i < kSections; ++i) {
    paths.insert("/s" + std::to_string(i) + ".html");
    for (int j = 0; j < kLeavesPerSection; ++j)
      paths.insert("/s" + std::to_string(i) + "/" + std::to_string(j) + ".html");
  }
  return paths;
}

class UnattendedTest : public RoadTest {
protected:
  ~UnattendedTest() override { AutoBrowseAtStart = false; }
};

TEST_F(UnattendedTest, FetchesEveryPageToDepthTwoEndsByItselfAndServesThemOffLine) {
  ScriptedOrigin site(LinkedSite);
  const std::string base = "http://127.0.0.1:" + std::to_string(site.Port());
  store_.WriteBool("Network", "StartOffLine", false);
  Start();
  tree.AddFolder("Sites");
  TBMInfo &bookmark = tree.AddBookmark("Linked site", QByteArray::fromStdString(base + "/index.html"));
  bookmark.Depth = 2;
  bookmark.Scheduled = 1;
  bookmark.NextRefresh = Now() - 1;

  AutoBrowseAtStart = true;
  int programEnds = 0;
  {
    TAutoProgressForm window(store_, *road_, TRestrictFile(dir_.filePath("program"), dir_.filePath("user")));
    window.SetProgramEnd([&] { ++programEnds; });
    const QString pictures = qEnvironmentVariable("QUENLARK_PICTURE_DIR");
    if (!pictures.isEmpty()) {
      // scripts/screenshot-autobrowse: the Progress page once a hundred pages came in.
      window.resize(720, 520);
      window.Pages()->setCurrentIndex(1);
      ASSERT_TRUE(PumpUntil([&] { return window.CounterText(0).section(" / ", 1).toInt() >= 100; },
                            std::chrono::seconds(60)));
      EXPECT_TRUE(window.grab().save(pictures + "/autobrowse-control.png"));
      window.Pages()->setCurrentIndex(0);
      EXPECT_TRUE(window.grab().save(pictures + "/autobrowse-outbasket.png"));
    }
    ASSERT_TRUE(PumpUntil([&] { return programEnds > 0; }, std::chrono::seconds(60)));
    EXPECT_TRUE(window.LogLines().contains(QStringLiteral("Items Retrieved\t: %1").arg(AllPaths().size())));
  }
  std::set<std::string> fetched;
  for (const std::string &request : site.Requests())
    fetched.insert(request.substr(4, request.find(' ', 4) - 4));
  EXPECT_EQ(fetched, AllPaths());
  EXPECT_EQ(site.RequestCount(), AllPaths().size()) << "each page once";

  // A new start, off-line: every page comes from the cache.
  Stop();
  store_.WriteBool("Network", "StartOffLine", true);
  Start();
  ASSERT_TRUE(OffLineMode);
  const std::size_t asked = site.RequestCount();
  for (const std::string &path : AllPaths()) {
    const std::string answer = Get(base + path);
    EXPECT_EQ(answer.rfind("HTTP/1.0 200", 0), 0u) << path << ": " << answer.substr(0, 60);
    EXPECT_NE(answer.find("page " + path), std::string::npos) << path;
  }
  EXPECT_EQ(site.RequestCount(), asked) << "nothing went to the site";
}

// The real program with "/a" and a bookmark file pointing at the site: it starts its session on
// the start timer's third tick, fetches every page and ends by itself; started again off-line it
// serves every page from its cache.
TEST(UnattendedProgramTest, CommandLineRunFetchesTheSiteAndEndsTheProgram) {
  ScriptedOrigin site(LinkedSite);
  const std::string base = "http://127.0.0.1:" + std::to_string(site.Port());
  ProxyProcess proxy;
  {
    TBookmarkOutline tree;
    TBookmarkNode *folder = tree.Append(nullptr, [] {
      auto info = std::make_unique<TBMInfo>();
      info->Folder = 1;
      info->Title = "Sites";
      return info;
    }());
    auto bookmark = std::make_unique<TBMInfo>();
    bookmark->Title = "Linked site";
    bookmark->URL = QByteArray::fromStdString(base + "/index.html");
    bookmark->Depth = 2;
    bookmark->GetNextTime = 1;
    tree.Append(folder, std::move(bookmark));
    QDir().mkpath(proxy.DataDir());
    TBookmarkFile(proxy.DataDir() + "/").SaveExtOutlineNoDelay(tree);
  }
  proxy.Values()["Network"]["StartOffLine"] = "0";
  proxy.Hooks()["TIMER_SCALE"] = "0.02";
  proxy.Parameters() << "/a";
  ASSERT_TRUE(proxy.Start());
  EXPECT_TRUE(proxy.WaitForExit(60000)) << proxy.Output().toStdString();
  EXPECT_EQ(proxy.ExitCode(), 0);
  std::set<std::string> fetched;
  for (const std::string &request : site.Requests())
    fetched.insert(request.substr(4, request.find(' ', 4) - 4));
  EXPECT_EQ(fetched, AllPaths());

  proxy.Values()["Network"]["StartOffLine"] = "1";
  proxy.Parameters().clear();
  ASSERT_TRUE(proxy.Start());
  const std::size_t asked = site.RequestCount();
  for (const std::string &path : AllPaths()) {
    const std::string answer = Exchange(proxy.Port(), "GET " + base + path + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.rfind("HTTP/1.0 200", 0), 0u) << path << ": " << answer.substr(0, 60);
    EXPECT_NE(answer.find("page " + path), std::string::npos) << path;
  }
  EXPECT_EQ(site.RequestCount(), asked) << "nothing went to the site";
  proxy.Stop();
}

} // namespace
} // namespace ql::test
