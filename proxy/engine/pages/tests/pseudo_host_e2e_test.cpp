// The pages of the pseudo-host as a browser gets them through the engine's listener, with a
// bookmark tree, the cache and the desktop windows linked in.
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "support/road_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

namespace ql::test {
namespace {

const std::string kPages = "http://quenlark.invalid";
const std::string kNotFound =
    "HTTP/1.0 404 File Not Found\r\ncontent-type: text/html\r\n\r\n<H1>404 File Not Found</H1>";

std::string Redirect(const std::string &target) {
  return "HTTP/1.0 302 Now Get... \r\nLocation: " + target +
         "\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n\r\n";
}

bool Has(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

class PseudoHostTest : public RoadTest {
protected:
  PseudoHostTest() { Start(); }

  // An HTML entry of the cache with a body file of its own.
  void Store(int id, const QByteArray &url, const QByteArray &title) {
    const QByteArray body = "<TITLE>" + title + "</TITLE>body";
    QFile file(Cache().Store().BodyPath(id));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(body);
    TCacheItem item;
    item.ID = id;
    item.URL = url;
    item.Title = title;
    item.Status = 200;
    item.MimeIndex = 1;
    item.Length = static_cast<int32_t>(body.size());
    item.Retrieved = item.LastAccessed = Now();
    Cache().Index().Put(std::move(item));
  }
};

TEST_F(PseudoHostTest, SwitchesAndWindowLinksRedirect) {
  ASSERT_TRUE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/online?a.test/x?q=1"), Redirect("http://a.test/x?q=1"));
  EXPECT_FALSE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/offline"), Redirect(kPages + "/bookmarks"));
  EXPECT_TRUE(OffLineMode);
  // A switch without a target goes on with the rest of its path.
  const std::string cache = Get(kPages + "/online/cache");
  EXPECT_FALSE(OffLineMode);
  EXPECT_TRUE(cache.starts_with("HTTP/1.0 200 OK\r\n")) << cache;
  EXPECT_TRUE(Has(cache, "<TITLE>Quenlark Cache Explorer</TITLE>"));
  EXPECT_TRUE(Has(cache,
                  "<A HREF=http://quenlark.invalid/offline?quenlark.invalid/cache><IMG WIDTH=25 HEIGHT=24 "
                  "BORDER=0 SRC=http://quenlark.invalid/images/online.gif>"));

  EXPECT_EQ(Get(kPages + "/gbookmarks"), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(Get(kPages + "/gcache"), Redirect(kPages + "/cache"));
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"Bookmarks", "Cache Explorer"}));
  EXPECT_EQ(Get(kPages + "/elsewhere"), Redirect(kPages + "/bookmarks"));
}

// Another site's page (by its Referer or Origin) cannot switch the proxy, bring a window
// forward or add a bookmark; it may still read the pages. The proxy's own pages and a typed
// address (neither field) can.
TEST_F(PseudoHostTest, OtherSitesCannotChangeAnything) {
  const int folder = tree.AddFolder("Inbox").SerialId;
  const std::vector<std::string> changes = {"/online?evil.test/", "/offline", "/gbookmarks", "/gcache",
                                            "/bookmarks?p=" + std::to_string(folder) +
                                                "&t=Planted&u=http://evil.test/&s=y"};
  for (const std::string fields :
       {"Referer: http://evil.test/page\r\n", "Origin: http://evil.test\r\n", "Origin: null\r\n",
        "Referer: http://quenlark.invalid/cache\r\nOrigin: http://evil.test\r\n"}) {
    for (const std::string &change : changes) {
      const std::string answer = Get(kPages + change, fields);
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 403 Forbidden\r\n")) << fields << change << answer;
    }
    EXPECT_TRUE(Get(kPages + "/bookmarks", fields).starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(Get(kPages + "/cache", fields).starts_with("HTTP/1.0 200 OK\r\n"));
  }
  EXPECT_TRUE(OffLineMode);
  EXPECT_TRUE(windows.shown.empty());
  EXPECT_EQ(tree.Count(), 1);

  EXPECT_EQ(Get(kPages + "/online?a.test/", "Origin: http://quenlark.invalid\r\n"),
            Redirect("http://a.test/"));
  EXPECT_FALSE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/offline", "Referer: http://quenlark.invalid/cache?page=2\r\n"),
            Redirect(kPages + "/bookmarks"));
  EXPECT_TRUE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/gcache"), Redirect(kPages + "/cache"));
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"Cache Explorer"}));
}

// Titles and URLs from the tree and the last page are escaped wherever they are written, and
// a bookmark never links to a script.
TEST_F(PseudoHostTest, BookmarksPageShowsTheTreeEscaped) {
  TBMInfo &folder = tree.AddFolder("News & <Views>");
  TBMInfo &due = tree.AddBookmark("<script>alert(1)</script>", "http://a.test/?q=\"><script>x</script>");
  due.Scheduled = 1;
  due.NextRefresh = 1;
  tree.AddBookmark("Script", "javascript:alert(2)");
  tree.AddFolder("Sub", 2);
  tree.AddBookmark("", "b.test/plain", 3);
  Cache().Store().LastPageTitle = "\"><b>bold</b>";
  Cache().Store().LastPageUrl = "http://c.test/\" onfocus=\"x";

  const std::string page = Get(kPages + "/bookmarks");
  EXPECT_TRUE(page.starts_with("HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                               "text/html\r\n\r\n<!doctype quenlark-bookmark>\r\n"))
      << page;
  EXPECT_FALSE(Has(page, "<script>"));
  EXPECT_FALSE(Has(page, "<b>"));
  EXPECT_TRUE(Has(page, "<FONT SIZE=+1>News &amp; &lt;Views&gt;</FONT></B></DT>"));
  EXPECT_TRUE(
      Has(page, "/images/nexttime.gif> <A HREF=\"http://a.test/?q=&quot;&gt;&lt;script&gt;x&lt;/script&gt;\">"
                "&lt;script&gt;alert(1)&lt;/script&gt;</A>"));
  EXPECT_TRUE(Has(page, "<A HREF=\"http://javascript:alert(2)\">Script</A>"));
  EXPECT_TRUE(Has(page, "/images/leaf.gif> <A HREF=\"http://b.test/plain\">No Title</A>"));
  EXPECT_TRUE(Has(page,
                  "<A HREF=http://quenlark.invalid/cache?page=1&amp;title=&amp;html=&amp;from=&amp;to=&amp;"
                  "text=y&amp;url=b.test&amp;sort=u&amp;order=a><IMG BORDER=0 WIDTH=18 HEIGHT=10"));
  EXPECT_TRUE(
      Has(page, "<OPTION VALUE=" + std::to_string(folder.SerialId) + ">News &amp; &lt;Views&gt;\r\n"));
  EXPECT_TRUE(Has(page, ">&nbsp&nbsp&nbspSub\r\n"));
  EXPECT_TRUE(Has(page, "NAME=t VALUE=\"&quot;&gt;&lt;b&gt;bold&lt;/b&gt;\""));
  EXPECT_TRUE(Has(page, "NAME=u VALUE=\"http://c.test/&quot; onfocus=&quot;x\""));
}

TEST_F(PseudoHostTest, AddFormClampsItsNumbersAndRefusesOtherSites) {
  const int folder = tree.AddFolder("Inbox").SerialId;
  const std::string add = kPages + "/bookmarks?p=" + std::to_string(folder);
  Cache().Store().LastPageTitle = "Last";

  for (const char *referer : {"http://evil.test/page", "http://quenlark.invalid.evil.test/",
                              "https://quenlark.invalid/bookmarks"}) {
    const std::string answer =
        Get(add + "&t=Planted&u=http://evil.test/&s=y", std::string("Referer: ") + referer + "\r\n");
    EXPECT_TRUE(answer.starts_with("HTTP/1.0 403 Forbidden\r\n")) << referer << answer;
  }
  EXPECT_EQ(tree.Count(), 1);

  EXPECT_EQ(Get(add + "&t=&u=+http%3A%2F%2Fa.test%2Fx+&d=42&f=0&i=99&s=y&n=y&o=y",
                "Referer: http://quenlark.invalid/bookmarks\r\n"),
            Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 2);
  const TBMInfo &daily = tree.Info(1);
  EXPECT_EQ(tree.Level(1), 2);
  EXPECT_EQ(daily.Title, "http://a.test/x");
  EXPECT_EQ(daily.URL, "http://a.test/x");
  EXPECT_EQ(daily.Depth, 9);
  EXPECT_EQ(daily.IntervalKind, EveryNDays);
  EXPECT_EQ(daily.Days, 1);
  EXPECT_TRUE(daily.Scheduled && daily.GetNextTime && daily.FollowExternal);
  EXPECT_EQ(daily.NextRefresh, std::floor(Now()) + 1);
  EXPECT_TRUE(Cache().Store().LastPageTitle.isEmpty());
  EXPECT_EQ(tree.saves, 1);

  // Without a Referer (a typed address): missing numbers take the form's defaults.
  EXPECT_EQ(Get(add + "&t=Weekly&u=http://b.test/&i=3&f=99"), Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 3);
  const TBMInfo &weekly = tree.Info(2);
  EXPECT_EQ(weekly.Title, "Weekly");
  EXPECT_EQ(weekly.Depth, 1);
  EXPECT_EQ(weekly.IntervalKind, EveryNWeeks);
  EXPECT_EQ(weekly.Weeks, 8);
  EXPECT_EQ(weekly.Weekday, 2);
  EXPECT_FALSE(weekly.Scheduled);

  // No URL, or no folder of that identity: nothing is added, and the answer is the same.
  EXPECT_EQ(Get(add + "&t=Empty&u=+"), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(Get(kPages + "/bookmarks?p=999999&u=http://c.test/"), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(tree.Count(), 3);
}

TEST_F(PseudoHostTest, ImagesServeOnlyTheShippedPictures) {
  const std::string image = Get(kPages + "/images/cache.gif");
  const std::size_t body = image.find("\r\n\r\n") + 4;
  ASSERT_TRUE(image.starts_with("HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                                "image/gif\r\nContent-length: " +
                                std::to_string(image.size() - body) + "\r\n\r\nGIF89a"))
      << image.substr(0, 200);
  QFile secret(DataDir() + "secret.gif");
  ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
  secret.write("secret");
  secret.close();
  for (const std::string name :
       {"../secret.gif", "..%2fsecret.gif", "%2e%2e/secret.gif", "..\\secret.gif", "/etc/passwd", "CACHE.GIF",
        "cache.gif?x=1", "", "secret.gif", "../../../../../../../../etc/passwd"})
    EXPECT_EQ(Get(kPages + "/images/" + name), kNotFound) << name;
}

TEST_F(PseudoHostTest, CachePageSearchesPagesAndCounts) {
  for (int i = 1; i <= 25; ++i) {
    const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
    Store(i, "http://site.test:80/page" + n + ".html", "Page " + n);
  }
  Store(26, "http://other.test:8080/x.html", "<script>x</script>");

  const std::string third = Get(kPages + "/cache?page=3&url=site.test&text=y&sort=u&order=a");
  EXPECT_TRUE(Has(third, "<TH>25 matches found: page 3 of 3</TH>")) << third;
  EXPECT_TRUE(Has(third, "<B>Page 21</B>"));
  EXPECT_TRUE(Has(third, "<B>Page 25</B>"));
  EXPECT_FALSE(Has(third, "<B>Page 20</B>"));
  EXPECT_TRUE(
      Has(third, "<A HREF=http://quenlark.invalid/cache?page=1&amp;url=site.test&amp;text=y&amp;sort=u&amp;"
                 "order=a><IMG WIDTH=24 HEIGHT=17 BORDER=0 SRC=http://quenlark.invalid/images/forward.gif>"));
  EXPECT_TRUE(Has(third, "/cache?page=2&amp;url=site.test"));
  EXPECT_TRUE(Has(third, "<A HREF=\"http://site.test/page21.html\"><B>Page 21</B><BR><FONT SIZE=-1>"
                         "http://site.test/page21.html</FONT></A>   <FONT SIZE=-2>Size - 26 bytes</FONT>"));

  // Paging reuses the result; the order can change without a new search.
  const std::string descending = Get(kPages + "/cache?page=1&url=site.test&text=y&sort=u&order=d");
  EXPECT_LT(descending.find("Page 25"), descending.find("Page 24"));
  EXPECT_FALSE(Has(descending, "Page 15"));

  const std::string one = Get(kPages + "/cache?page=1&url=page07&text=y");
  EXPECT_TRUE(Has(one, "<TH>1 match found</TH>")) << one;
  EXPECT_FALSE(Has(one, "backward.gif"));
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=1&url=nothing+here"), "<TH>No matches found</TH>"));

  // Texts of the request and of the cache are escaped; a "%" at the end decodes as itself.
  const std::string injected = Get(kPages + "/cache?page=1&title=%3Cscript&url=");
  EXPECT_FALSE(Has(injected, "<script>"));
  EXPECT_TRUE(Has(injected, "<B>&lt;script&gt;x&lt;/script&gt;</B>")) << injected;
  EXPECT_TRUE(Has(injected, "NAME=title VALUE=\"&lt;script\""));
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=1&url=abc%"), "NAME=url VALUE=\"abc%\""));

  // A page size of 0 counts as 1.
  EngineSettings.CacheNumResults = 0;
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=2&url=site.test"), "25 matches found: page 2 of 25"));
  // Without a query the page shows the last search and page again.
  EngineSettings.CacheNumResults = 10;
  const std::string again = Get(kPages + "/cache");
  EXPECT_TRUE(Has(again, "25 matches found: page 2 of 3")) << again;
  EXPECT_TRUE(Has(again,
                  "/cache?page=3&amp;title=&amp;text=y&amp;from=&amp;url=site.test&amp;to=&amp;html=&amp;"
                  "sort=u&amp;order=d>"));
  // An entry the cache frees leaves the result at once.
  QFile::remove(Cache().Store().BodyPath(25));
  Cache().Index().Remove(25);
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=1&url=site.test&text=y&sort=u&order=d"), "24 matches found"));
}

} // namespace
} // namespace ql::test
