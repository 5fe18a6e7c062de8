// The pages of the pseudo-host as a browser gets them through the engine's listener, with a
// bookmark tree, the cache and the desktop windows linked in.
#include "proxy/engine/cache/proxy_cache.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/pages/bookmarks_page.h"
#include "proxy/engine/pages/cache_page.h"
#include "proxy/engine/pages/page_token.h"
#include "support/road_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace ql::test {
namespace {

const std::string kPages = "http://quenlark.invalid";
const std::string kPolicy = "Referrer-Policy: same-origin\r\n";
const std::string kNotFound = "HTTP/1.0 404 File Not Found\r\ncontent-type: text/html; "
                              "charset=UTF-8\r\n" +
                              kPolicy + "\r\n<H1>404 File Not Found</H1>";

std::string Redirect(const std::string &target) {
  return "HTTP/1.0 302 Now Get... \r\nLocation: " + target + "\r\nAllow: GET POST\r\nMIME-version: 1.0\r\n" +
         kPolicy + "\r\n";
}

bool Has(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

std::string Token(const QByteArray &action) {
  return PageToken(action).toStdString();
}

// The target of the last link that opens before mark in page, as a browser reads it.
std::string LinkBefore(const std::string &page, const std::string &mark) {
  const std::size_t at = page.find(mark);
  if (at == std::string::npos)
    return {};
  const std::size_t start = page.rfind("<A HREF=", at);
  if (start == std::string::npos)
    return {};
  std::string link = page.substr(start + 8, page.find('>', start) - start - 8);
  for (std::size_t amp = link.find("&amp;"); amp != std::string::npos; amp = link.find("&amp;", amp + 1))
    link.erase(amp + 1, 4);
  return link;
}

// The query a browser sends for the form whose action begins with action: ? + fields.
std::string FormAction(const std::string &page, const std::string &action) {
  const std::size_t start = page.find("<FORM METHOD=GET ACTION=" + action);
  if (start == std::string::npos)
    return {};
  return page.substr(start + 24, page.find('>', start) - start - 24);
}

const std::string kOwnPage = "Referer: http://quenlark.invalid/bookmarks\r\n";

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
  EXPECT_EQ(Get(kPages + "/online?a.test/x?q=1", kOwnPage), Redirect("http://a.test/x?q=1"));
  EXPECT_FALSE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/offline", kOwnPage), Redirect(kPages + "/bookmarks"));
  EXPECT_TRUE(OffLineMode);
  // A switch without a target goes on with the rest of its path.
  const std::string cache = Get(kPages + "/online/cache", kOwnPage);
  EXPECT_FALSE(OffLineMode);
  EXPECT_TRUE(cache.starts_with("HTTP/1.0 200 OK\r\n")) << cache;
  EXPECT_TRUE(Has(cache, "<TITLE>Quenlark Cache Explorer</TITLE>"));
  EXPECT_TRUE(Has(cache, "<A HREF=http://quenlark.invalid/offline;" +
                             Token("/offline?quenlark.invalid/cache") +
                             "?quenlark.invalid/cache><IMG WIDTH=25 HEIGHT=24 "
                             "BORDER=0 SRC=http://quenlark.invalid/images/online.gif>"));

  EXPECT_EQ(Get(kPages + "/gbookmarks", kOwnPage), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(Get(kPages + "/gcache", kOwnPage), Redirect(kPages + "/cache"));
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"Bookmarks", "Cache Explorer"}));
  EXPECT_EQ(Get(kPages + "/elsewhere"), Redirect(kPages + "/bookmarks"));
}

// The confirmation of a switch typed by hand announces the address the switch then goes to:
// its target, to which it redirects, or the pseudo-host's page that the rest of its path leads
// to, answered as that address is.
TEST_F(PseudoHostTest, ASwitchGoesWhereItsConfirmationSays) {
  for (const std::string rest : {"", "/cache", "/images/online.gif", "/elsewhere", "?a.test/x"}) {
    SCOPED_TRACE(rest);
    const std::string typed = Get(kPages + "/offline" + rest);
    const std::size_t start = typed.find("and go to <B>");
    ASSERT_NE(start, std::string::npos) << typed;
    const std::string address = typed.substr(start + 13, typed.find("</B>", start) - start - 13);
    const std::string went = Get(LinkBefore(typed, "Switch to 'offline' mode and go to "));
    EXPECT_TRUE(OffLineMode);
    EXPECT_EQ(went, address.starts_with(kPages) ? Get(address, kOwnPage) : Redirect(address));
  }
}

// A request that changes state is carried out only from the proxy's own pages (a Referer or
// Origin on the pseudo-host and none elsewhere) or with the token of its action. Another
// site's page, with or without a Referer (an image with referrerpolicy=no-referrer), and an
// address typed by hand get the confirmation page, or for an addition the folder page, and
// change nothing; they may still read the pages.
TEST_F(PseudoHostTest, OnlyOwnPagesAndTheirTokensChangeState) {
  const std::string folder = std::to_string(tree.AddFolder("Inbox").SerialId);
  const std::string add = "?p=" + folder + "&t=Planted&u=http://evil.test/&s=y";
  const std::vector<std::string> changes = {"/online?evil.test/",
                                            "/offline",
                                            "/gbookmarks",
                                            "/gcache",
                                            "/online;" + std::string(32, '0') + "?evil.test/",
                                            "/online;" + Token("/online?a.test/") + "?evil.test/",
                                            "/gcache;" + Token("/gbookmarks")};
  const std::vector<std::string> additions = {"/bookmarks" + add, "/bookmarks;" + Token("/cache") + add};
  for (const std::string fields :
       {"", "Referer: http://evil.test/page\r\n", "Origin: http://evil.test\r\n", "Origin: null\r\n",
        "Referer: http://quenlark.invalid/cache\r\nOrigin: http://evil.test\r\n",
        "Referer: http://quenlark.invalid.evil.test/\r\n",
        "Referer: https://quenlark.invalid/bookmarks\r\n"}) {
    for (const std::string &change : changes) {
      const std::string answer = Get(kPages + change, fields);
      EXPECT_TRUE(answer.starts_with("HTTP/1.0 403 Forbidden\r\n")) << fields << change << answer;
      EXPECT_TRUE(Has(answer, "\r\nX-Frame-Options: DENY\r\n")) << answer;
    }
    for (const std::string &addition : additions) {
      const std::string answer = Get(kPages + addition, fields);
      EXPECT_TRUE(Has(answer, "Choose the folder and confirm the bookmark")) << fields << addition << answer;
      EXPECT_TRUE(Has(answer, "\r\nX-Frame-Options: DENY\r\n")) << answer;
    }
    EXPECT_TRUE(Get(kPages + "/bookmarks", fields).starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(Get(kPages + "/cache", fields).starts_with("HTTP/1.0 200 OK\r\n"));
  }
  EXPECT_TRUE(OffLineMode);
  EXPECT_TRUE(windows.shown.empty());
  EXPECT_EQ(tree.Count(), 1);

  // The folder page shows the addition in its form, with the folder it names chosen, and sends
  // it with the form's token.
  const std::string place = Get(kPages + "/bookmarks" + add);
  EXPECT_TRUE(Has(place, "<OPTION VALUE=" + folder + " SELECTED>Inbox\r\n")) << place;
  EXPECT_TRUE(Has(place, "NAME=t VALUE=\"Planted\""));
  EXPECT_TRUE(Has(place, "NAME=u VALUE=\"http://evil.test/\""));
  EXPECT_TRUE(Has(place, "NAME=s VALUE=y CHECKED>Schedule"));
  EXPECT_EQ(FormAction(place, kPages + "/bookmarks"), kPages + "/bookmarks;" + Token("/bookmarks"));

  const std::string typed = Get(kPages + "/online?a.test/x%20y");
  const std::string link = LinkBefore(typed, "Switch to 'online' mode and go to http://a.test/x%20y");
  ASSERT_FALSE(link.empty()) << typed;
  EXPECT_TRUE(OffLineMode);
  EXPECT_EQ(Get(link), Redirect("http://a.test/x%20y"));
  EXPECT_FALSE(OffLineMode);

  EXPECT_EQ(Get(kPages + "/offline", "Referer: http://quenlark.invalid/cache?page=2\r\n"),
            Redirect(kPages + "/bookmarks"));
  EXPECT_TRUE(OffLineMode);
  EXPECT_EQ(Get(kPages + "/gcache", "Origin: http://quenlark.invalid\r\n"), Redirect(kPages + "/cache"));
  EXPECT_EQ(Get(kPages + "/gbookmarks;" + Token("/gbookmarks")), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"Cache Explorer", "Bookmarks"}));
}

// The links and forms of the pages work as a browser follows them, without any Referer: the
// bookmarks page's form, switch, window and list links, the cache page's form, and the "Not in
// Cache" page served at the missing URL's address, whose switch and add form are completed on
// the pseudo-host.
TEST_F(PseudoHostTest, TheProxysOwnLinksAndFormsWorkWithoutAReferer) {
  const std::string folder = std::to_string(tree.AddFolder("Inbox").SerialId);
  const std::string page = Get(kPages + "/bookmarks");
  const std::string action = FormAction(page, kPages + "/bookmarks");
  EXPECT_EQ(Get(action + "?p=" + folder + "&t=Added&u=http%3A%2F%2Fa.test%2F&s=y&f=1&i=0&d=1"),
            Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 2);
  EXPECT_EQ(tree.Info(1).URL, "http://a.test/");

  ASSERT_TRUE(OffLineMode);
  EXPECT_EQ(Get(LinkBefore(page, "/images/offline.gif>")), Redirect(kPages + "/bookmarks"));
  EXPECT_FALSE(OffLineMode);
  EXPECT_EQ(Get(LinkBefore(page, "/images/gbkmark.gif>")), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(windows.shown, (std::vector<std::string>{"Bookmarks"}));

  // The cache page's links and form write its settings back; a typed query shows its order
  // without writing it.
  const std::string list = Get(LinkBefore(Get(kPages + "/bookmarks"), "/images/list.gif>"));
  EXPECT_TRUE(Has(list, "<TH>No matches found</TH>")) << list;
  const std::string search = FormAction(list, kPages + "/cache");
  EXPECT_TRUE(Get(search + "?page=1&url=a.test&sort=t&order=d").starts_with("HTTP/1.0 200 OK\r\n"));
  EXPECT_EQ(ReadCachePageOptions(store_).SortedBy, 2);
  EXPECT_EQ(ReadCachePageOptions(store_).SortDirection, 1);
  const std::string typed = Get(kPages + "/cache?page=1&url=a.test&sort=d&order=a");
  EXPECT_TRUE(Has(typed, "VALUE=d CHECKED>Date")) << typed;
  EXPECT_EQ(ReadCachePageOptions(store_).SortedBy, 2);
  EXPECT_EQ(ReadCachePageOptions(store_).SortDirection, 1);

  // The "Not in Cache" page stands at the missing URL's address: its switch is confirmed on
  // the pseudo-host, and the folder of its add form chosen there.
  OffLineMode = true;
  const std::string missing = Get("http://missing.test/x.html");
  ASSERT_TRUE(missing.starts_with("HTTP/1.0 404 Not in Cache")) << missing;
  const std::string confirm = Get(LinkBefore(missing, "Switch to 'online' mode and retrieve"));
  ASSERT_TRUE(confirm.starts_with("HTTP/1.0 403 Forbidden\r\n")) << confirm;
  EXPECT_TRUE(OffLineMode);
  EXPECT_EQ(Get(LinkBefore(confirm, "Switch to 'online' mode and go to http://missing.test/x.html")),
            Redirect("http://missing.test/x.html"));
  EXPECT_FALSE(OffLineMode);

  const std::string added = "&t=New+Document&u=http%3A%2F%2Fmissing.test%3A80%2Fx.html&n=y&f=1&i=0&d=1";
  const std::string place = Get(FormAction(missing, kPages + "/bookmarks") + "?" + added.substr(1));
  ASSERT_TRUE(place.starts_with("HTTP/1.0 200 OK\r\n")) << place;
  EXPECT_TRUE(Has(place, "<OPTION VALUE=" + folder + ">Inbox\r\n")) << place;
  EXPECT_TRUE(Has(place, "NAME=u VALUE=\"http://missing.test:80/x.html\""));
  EXPECT_TRUE(Has(place, "NAME=n VALUE=y CHECKED>Get next time"));
  EXPECT_EQ(tree.Count(), 2);
  EXPECT_EQ(Get(FormAction(place, kPages + "/bookmarks") + "?p=" + folder + added),
            Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 3);
  EXPECT_EQ(tree.Info(2).URL, "http://missing.test:80/x.html");
  EXPECT_TRUE(tree.Info(2).GetNextTime);
}

// The "Not in Cache" page can be read by the scripts of the site whose address it stands at:
// it names no bookmark folder and carries no token, so its links change nothing by themselves.
TEST_F(PseudoHostTest, TheNotInCachePageHoldsNoFolderAndNoToken) {
  tree.AddFolder("Private folder");
  tree.AddFolder("Private subfolder", 2);
  ASSERT_TRUE(OffLineMode);
  const std::string missing = Get("http://missing.test/x.html", "Referer: http://missing.test/\r\n");
  ASSERT_TRUE(missing.starts_with("HTTP/1.0 404 Not in Cache")) << missing;
  EXPECT_FALSE(Has(missing, "Private")) << missing;
  EXPECT_FALSE(Has(missing, "<SELECT NAME=p>"));
  EXPECT_FALSE(std::regex_search(missing, std::regex(";[0-9a-fA-F]{32}"))) << missing;

  // Each of its links to the pseudo-host, followed as that site's script would, leaves the
  // proxy off-line.
  int links = 0;
  for (std::size_t at = missing.find("HREF=" + kPages); at != std::string::npos;
       at = missing.find("HREF=" + kPages, at + 1)) {
    const std::string link = missing.substr(at + 5, missing.find('>', at) - at - 5);
    const std::string answer = Get(link);
    EXPECT_FALSE(answer.starts_with("HTTP/1.0 302")) << link << answer;
    ++links;
  }
  EXPECT_GE(links, 5);
  EXPECT_TRUE(OffLineMode);
  EXPECT_TRUE(windows.shown.empty());
}

// A tree 3,000 folders deep: the pages that show its folders are at most twice the size of a
// flat tree's of as many folders. Their lists nest and indent no deeper than kMaxFolderIndent
// levels and number the deeper folders, and a bookmark still reaches the deepest folder.
TEST_F(PseudoHostTest, ADeepTreesPagesNestNoDeeperThanTheFolderListIndents) {
  constexpr int kDepth = 3000;
  for (int level = 1; level <= kDepth; ++level)
    tree.AddFolder("Folder " + QByteArray::number(level));
  const std::size_t flatPage = Get(kPages + "/bookmarks").size();
  const std::size_t flatPlace = Get(kPages + "/bookmarks?u=http://deep.test/").size();
  tree.Clear();
  std::string deepest;
  for (int level = 1; level <= kDepth; ++level)
    deepest = std::to_string(tree.AddFolder("Folder " + QByteArray::number(level), level).SerialId);
  std::string indent;
  for (int i = 0; i < kMaxFolderIndent; ++i)
    indent += "&nbsp&nbsp&nbsp";
  const std::string page = Get(kPages + "/bookmarks");
  const std::string place = Get(kPages + "/bookmarks?u=http://deep.test/");
  EXPECT_LE(page.size(), 2 * flatPage);
  EXPECT_LE(place.size(), 2 * flatPlace);
  for (const std::string *each : {&page, &place}) {
    ASSERT_TRUE(each->starts_with("HTTP/1.0 200 OK\r\n")) << each->substr(0, 200);
    EXPECT_TRUE(Has(*each, ">&nbsp&nbsp&nbsp&nbsp&nbsp&nbspFolder 3\r\n"));
    EXPECT_TRUE(Has(*each, ">" + indent + "Folder 21\r\n"));
    EXPECT_TRUE(Has(*each, ">[22] Folder 22\r\n"));
    EXPECT_TRUE(Has(*each, "<OPTION VALUE=" + deepest + ">[3000] Folder 3000\r\n"));
    EXPECT_FALSE(Has(*each, indent + "["));
  }
  // The page's lists: the two around the tree and one for each of the first kMaxFolderIndent
  // levels, each closed; the deeper folders stand at the deepest, numbered.
  const std::string lists = page.substr(0, page.find("<FORM"));
  std::size_t opened = 0;
  std::size_t deepestOpen = 0;
  std::size_t open = 0;
  for (std::size_t at = lists.find("DL>"); at != std::string::npos; at = lists.find("DL>", at + 1)) {
    const bool closes = lists[at - 1] == '/';
    open = closes ? open - 1 : open + 1;
    opened += closes ? 0 : 1;
    deepestOpen = std::max(deepestOpen, open);
  }
  EXPECT_EQ(open, 0u);
  EXPECT_EQ(opened, 2u + kMaxFolderIndent);
  EXPECT_EQ(deepestOpen, 2u + kMaxFolderIndent);
  EXPECT_TRUE(Has(lists, "<B>Folder 21</B></DT>\r\n<DT>"));
  EXPECT_TRUE(Has(lists, "<B>[22] Folder 22</B></DT>\r\n<DT>"));
  EXPECT_TRUE(Has(lists, "<B>[3000] Folder 3000</B></DT></DL>\r\n"));

  EXPECT_EQ(Get(FormAction(place, kPages + "/bookmarks") + "?p=" + deepest + "&u=http://deep.test/"),
            Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), kDepth + 1);
  EXPECT_EQ(tree.Level(kDepth), kDepth + 1);
}

// No answer of the pseudo-host hands its address, and the tokens in it, to another site.
TEST_F(PseudoHostTest, EveryAnswerKeepsItsAddressToThePseudoHost) {
  for (const std::string path :
       {"/bookmarks", "/cache", "/cache?page=1&url=a.test", "/bookmarks?u=http://a.test/", "/gcache",
        "/online?a.test/", "/elsewhere", "/images/cache.gif", "/images/no.gif"}) {
    for (const std::string &fields : {std::string(), kOwnPage}) {
      const std::string answer = Get(kPages + path, fields);
      const std::string header = answer.substr(0, answer.find("\r\n\r\n") + 2);
      EXPECT_TRUE(Has(header, "\r\nReferrer-Policy: same-origin\r\n")) << path << fields << header;
    }
  }
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
  tree.AddBookmark("K\xC3\xBC"
                   "che",
                   "http://d.test/utf8");
  tree.AddBookmark("K\xFC"
                   "che",
                   "http://d.test/latin1");
  Cache().Store().LastPageTitle = "\"><b>bold</b>";
  Cache().Store().LastPageUrl = "http://c.test/\" onfocus=\"x";

  const std::string page = Get(kPages + "/bookmarks");
  EXPECT_TRUE(page.starts_with("HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                               "text/html; charset=UTF-8\r\nX-Frame-Options: DENY\r\n"
                               "Content-Security-Policy: frame-ancestors 'none'\r\n" +
                               kPolicy + "\r\n<!doctype quenlark-bookmark>\r\n"))
      << page;
  // Titles are UTF-8, as the page declares; a title in Latin-1 is shown by its references.
  EXPECT_TRUE(Has(page, ">K\xC3\xBC"
                        "che</A>"));
  EXPECT_TRUE(Has(page, ">K&#252;che</A>"));
  EXPECT_FALSE(Has(page, "<script>"));
  EXPECT_FALSE(Has(page, "<b>"));
  EXPECT_TRUE(Has(page, "<FONT SIZE=+1>News &amp; &lt;Views&gt;</FONT></B></DT>"));
  EXPECT_TRUE(
      Has(page, "/images/nexttime.gif> <A HREF=\"http://a.test/?q=&quot;&gt;&lt;script&gt;x&lt;/script&gt;\">"
                "&lt;script&gt;alert(1)&lt;/script&gt;</A>"));
  EXPECT_TRUE(Has(page, "<A HREF=\"http://javascript:alert(2)\">Script</A>"));
  EXPECT_TRUE(Has(page, "/images/leaf.gif> <A HREF=\"http://b.test/plain\">No Title</A>"));
  EXPECT_TRUE(Has(page, "<A HREF=http://quenlark.invalid/cache;" + Token("/cache") +
                            "?page=1&amp;title=&amp;html=&amp;from=&amp;to=&amp;"
                            "text=y&amp;url=b.test&amp;sort=u&amp;order=a><IMG BORDER=0 WIDTH=18 HEIGHT=10"));
  EXPECT_TRUE(
      Has(page, "<OPTION VALUE=" + std::to_string(folder.SerialId) + ">News &amp; &lt;Views&gt;\r\n"));
  EXPECT_TRUE(Has(page, ">&nbsp&nbsp&nbspSub\r\n"));
  EXPECT_TRUE(Has(page, "NAME=t VALUE=\"&quot;&gt;&lt;b&gt;bold&lt;/b&gt;\""));
  EXPECT_TRUE(Has(page, "NAME=u VALUE=\"http://c.test/&quot; onfocus=&quot;x\""));
}

TEST_F(PseudoHostTest, AddFormClampsItsNumbers) {
  const int folder = tree.AddFolder("Inbox").SerialId;
  const std::string add = kPages + "/bookmarks?p=" + std::to_string(folder);
  Cache().Store().LastPageTitle = "Last";

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

  // With the form's token and no Referer: missing numbers take the form's defaults.
  const std::string tokened = kPages + "/bookmarks;" + Token("/bookmarks") + "?p=" + std::to_string(folder);
  EXPECT_EQ(Get(tokened + "&t=Weekly&u=http://b.test/&i=3&f=99"), Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 3);
  const TBMInfo &weekly = tree.Info(2);
  EXPECT_EQ(weekly.Title, "Weekly");
  EXPECT_EQ(weekly.Depth, 1);
  EXPECT_EQ(weekly.IntervalKind, EveryNWeeks);
  EXPECT_EQ(weekly.Weeks, 8);
  EXPECT_EQ(weekly.Weekday, 2);
  EXPECT_FALSE(weekly.Scheduled);

  // No URL, or no folder of that identity: nothing is added, and the answer is the same.
  EXPECT_EQ(Get(add + "&t=Empty&u=+", kOwnPage), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(Get(kPages + "/bookmarks?p=999999&u=http://c.test/", kOwnPage), Redirect(kPages + "/bookmarks"));
  EXPECT_EQ(tree.Count(), 3);

  // A folder number that is not one names folder 1.
  tree.Info(0).SerialId = 1;
  EXPECT_EQ(Get(add.substr(0, add.find('=') + 1) + "first&u=http://d.test/", kOwnPage),
            Redirect(kPages + "/bookmarks"));
  ASSERT_EQ(tree.Count(), 4);
  EXPECT_EQ(tree.Info(3).URL, "http://d.test/");
  EXPECT_EQ(tree.Level(3), 2);
}

TEST_F(PseudoHostTest, ImagesServeOnlyTheShippedPictures) {
  const std::string image = Get(kPages + "/images/cache.gif");
  const std::size_t body = image.find("\r\n\r\n") + 4;
  ASSERT_TRUE(image.starts_with("HTTP/1.0 200 OK\r\nAllow: GET POST\r\nMIME-version: 1.0\r\nContent-type: "
                                "image/gif\r\nContent-length: " +
                                std::to_string(image.size() - body) + "\r\n" + kPolicy + "\r\nGIF89a"))
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

  const std::string third = Get(kPages + "/cache?page=3&url=site.test&text=y&sort=u&order=a", kOwnPage);
  EXPECT_TRUE(Has(third, "<TH>25 matches found: page 3 of 3</TH>")) << third;
  EXPECT_TRUE(Has(third, "<B>Page 21</B>"));
  EXPECT_TRUE(Has(third, "<B>Page 25</B>"));
  EXPECT_FALSE(Has(third, "<B>Page 20</B>"));
  EXPECT_TRUE(
      Has(third, "<A HREF=http://quenlark.invalid/cache;" + Token("/cache") +
                     "?page=1&amp;url=site.test&amp;text=y&amp;sort=u&amp;order=a><IMG WIDTH=24 HEIGHT=17 "
                     "BORDER=0 SRC=http://quenlark.invalid/images/forward.gif>"));
  EXPECT_TRUE(Has(third, "/cache;" + Token("/cache") + "?page=2&amp;url=site.test"));
  EXPECT_TRUE(Has(third, "<A HREF=\"http://site.test/page21.html\"><B>Page 21</B><BR><FONT SIZE=-1>"
                         "http://site.test/page21.html</FONT></A>   <FONT SIZE=-2>Size - 26 bytes</FONT>"));

  // Paging reuses the result; the order can change without a new search.
  const std::string descending = Get(kPages + "/cache?page=1&url=site.test&text=y&sort=u&order=d", kOwnPage);
  EXPECT_LT(descending.find("Page 25"), descending.find("Page 24"));
  EXPECT_FALSE(Has(descending, "Page 15"));

  const std::string one = Get(kPages + "/cache?page=1&url=page07&text=y", kOwnPage);
  EXPECT_TRUE(Has(one, "<TH>1 match found</TH>")) << one;
  EXPECT_FALSE(Has(one, "backward.gif"));
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=1&url=nothing+here", kOwnPage), "<TH>No matches found</TH>"));

  // Texts of the request and of the cache are escaped; a "%" at the end decodes as itself.
  const std::string injected = Get(kPages + "/cache?page=1&title=%3Cscript&url=", kOwnPage);
  EXPECT_FALSE(Has(injected, "<script>"));
  EXPECT_TRUE(Has(injected, "<B>&lt;script&gt;x&lt;/script&gt;</B>")) << injected;
  EXPECT_TRUE(Has(injected, "NAME=title VALUE=\"&lt;script\""));
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=1&url=abc%", kOwnPage), "NAME=url VALUE=\"abc%\""));

  // A page size of 0 counts as 1.
  EngineSettings.CacheNumResults = 0;
  EXPECT_TRUE(Has(Get(kPages + "/cache?page=2&url=site.test", kOwnPage), "25 matches found: page 2 of 25"));
  // Without a query the page shows the last search and page again.
  EngineSettings.CacheNumResults = 10;
  const std::string again = Get(kPages + "/cache", kOwnPage);
  EXPECT_TRUE(Has(again, "25 matches found: page 2 of 3")) << again;
  EXPECT_TRUE(
      Has(again, "/cache;" + Token("/cache") +
                     "?page=3&amp;title=&amp;text=y&amp;from=&amp;url=site.test&amp;to=&amp;html=&amp;"
                     "sort=u&amp;order=d>"));
  // An entry the cache frees leaves the result at once.
  QFile::remove(Cache().Store().BodyPath(25));
  Cache().Index().Remove(25);
  EXPECT_TRUE(
      Has(Get(kPages + "/cache?page=1&url=site.test&text=y&sort=u&order=d", kOwnPage), "24 matches found"));
}

} // namespace
} // namespace ql::test
