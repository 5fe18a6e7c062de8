// The pseudo-host's pages as the real program serves them: the off-line page's switch link
// and bookmark form reach them, and the pictures drawn at build time lie beside the program.
// The pages that stand at another site's address carry no token.
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace ql::test {
namespace {

TEST_F(ProxyRoadTest, TheOffLinePagesLinksLeadToThePseudoHost) {
  proxy.Values()["Network"]["StartOffLine"] = "1";
  ScriptedOrigin origin([](const std::string &) {
    return OriginReply{HttpResponse("200 OK", "text/html", "<TITLE>Here</TITLE>")};
  });
  StartProxy();
  const std::string at = "origin.test:" + std::to_string(origin.Port());

  const std::string missing = Get("http://" + at + "/x.html");
  ASSERT_TRUE(missing.starts_with("HTTP/1.0 404 Not in Cache")) << missing;
  // Its links go without a Referer; its switch links carry no token: the site's scripts can
  // read the page.
  EXPECT_NE(missing.find("<META NAME=referrer CONTENT=no-referrer>"), std::string::npos);
  const std::string link = "http://quenlark.invalid/online?" + at + "/x.html";
  EXPECT_NE(missing.find("<A HREF=" + link + ">Switch to 'online' mode"), std::string::npos) << missing;
  EXPECT_NE(missing.find("<A HREF=http://quenlark.invalid/online?" + at +
                         "/x.html><IMG WIDTH=25 HEIGHT=24 BORDER=0 SRC=http://quenlark.invalid/images/"
                         "offline.gif>"),
            std::string::npos)
      << missing;

  // The switch is confirmed with one click on the pseudo-host, on a page that asks for it and
  // says where it goes: the guard's status is for other sites, not for the user.
  const std::string confirm = Get(link);
  EXPECT_TRUE(confirm.starts_with("HTTP/1.0 403 Forbidden\r\n")) << confirm;
  const std::string body = confirm.substr(confirm.find("\r\n\r\n"));
  EXPECT_NE(body.find("<TITLE>Switch to 'online' mode?</TITLE>"), std::string::npos) << body;
  EXPECT_NE(body.find("<FONT SIZE=+2>Switch to 'online' mode?</FONT></B><BR><BR>\r\n<FONT SIZE=+1>and go "
                      "to <B>http://" +
                      at + "/x.html</B>"),
            std::string::npos)
      << body;
  EXPECT_EQ(body.find("403"), std::string::npos) << body;
  EXPECT_EQ(body.find("Forbidden"), std::string::npos) << body;
  EXPECT_TRUE(Get("http://" + at + "/x.html").starts_with("HTTP/1.0 404 Not in Cache"));
  EXPECT_EQ(origin.RequestCount(), 0u);
  const std::size_t confirmText =
      confirm.find(">Switch to 'online' mode and go to http://" + at + "/x.html</A>");
  ASSERT_NE(confirmText, std::string::npos) << confirm;
  const std::size_t start = confirm.rfind("<A HREF=", confirmText) + 8;
  const std::string confirmed = confirm.substr(start, confirmText - start);
  EXPECT_TRUE(confirmed.starts_with("http://quenlark.invalid/online;")) << confirmed;

  EXPECT_TRUE(
      Get(confirmed).starts_with("HTTP/1.0 302 Now Get... \r\nLocation: http://" + at + "/x.html\r\n"));
  EXPECT_NE(Get("http://" + at + "/x.html").find("<TITLE>Here</TITLE>"), std::string::npos);
  EXPECT_EQ(origin.RequestCount(), 1u);

  // The program has no bookmark tree yet: the form adds nothing and returns to the page.
  EXPECT_TRUE(
      Get("http://quenlark.invalid/bookmarks?p=1&t=New+Document&u=http%3A%2F%2F" + at +
              "%2Fx.html&s=y&n=y&f=1&i=0&d=1",
          "Referer: http://quenlark.invalid/bookmarks\r\n")
          .starts_with("HTTP/1.0 302 Now Get... \r\nLocation: http://quenlark.invalid/bookmarks\r\n"));
  const std::string page = Get("http://quenlark.invalid/bookmarks");
  EXPECT_NE(page.find("<TITLE>Quenlark Bookmarks</TITLE>"), std::string::npos) << page;

  for (const char *name : {"logo.gif", "bookmark.gif", "forward.gif", "nexttime.gif"}) {
    const std::string image = Get(std::string("http://quenlark.invalid/images/") + name);
    EXPECT_TRUE(image.starts_with("HTTP/1.0 200 OK\r\n")) << name;
    EXPECT_NE(image.find("\r\n\r\nGIF89a"), std::string::npos) << name;
  }
}

// The "DNS not found" page stands at the unknown host's address too: its switch carries no
// token, but the page's address, so that once the switch is confirmed the browser goes back to
// it and gets what the cache holds.
TEST_F(ProxyRoadTest, TheDnsNotFoundPagesSwitchComesBackToItsAddress) {
  proxy.Hooks()["FAIL_LOOKUPS"] = "never.test=3";
  proxy.Hooks()["HOSTS"] = "never.test=127.0.0.1";
  StartProxy();
  const std::string dns = Get("http://never.test:81/x?q=1");
  ASSERT_TRUE(dns.starts_with("HTTP/1.0 404 DNS not found\r\n")) << dns;
  const std::string link = "http://quenlark.invalid/offline?never.test:81/x?q=1";
  EXPECT_NE(dns.find("<A HREF=" + link + "><IMG"), std::string::npos) << dns;
  EXPECT_EQ(dns.find("quenlark.invalid/offline;"), std::string::npos) << dns;

  const std::string confirm = Get(link);
  ASSERT_TRUE(confirm.starts_with("HTTP/1.0 403 Forbidden\r\n")) << confirm;
  EXPECT_NE(confirm.find("<FONT SIZE=+2>Switch to 'offline' mode?</FONT>"), std::string::npos) << confirm;
  const std::string shown = ">Switch to 'offline' mode and go to http://never.test:81/x?q=1</A>";
  const std::size_t text = confirm.find(shown);
  ASSERT_NE(text, std::string::npos) << confirm;
  const std::size_t start = confirm.rfind("<A HREF=", text) + 8;
  EXPECT_TRUE(Get(confirm.substr(start, text - start))
                  .starts_with("HTTP/1.0 302 Now Get... \r\nLocation: http://never.test:81/x?q=1\r\n"));
  EXPECT_TRUE(Get("http://never.test:81/x?q=1").starts_with("HTTP/1.0 404 Not in Cache\r\n"));
}

// Only an answer with status 200 becomes the last page that the bookmarks page's add form
// offers: not the error page that answers the browser's own request for a site's icon, whether
// it comes from the origin or from the cache.
TEST_F(ProxyRoadTest, OnlyAnAnswerWithStatus200BecomesTheLastPage) {
  ScriptedOrigin origin([](const std::string &request) {
    if (request.starts_with("GET /favicon.ico "))
      return OriginReply{HttpResponse("404 Not Found", "text/html", "<TITLE>404 Not Found</TITLE>")};
    const std::string name = request.substr(5, request.find(".html") - 5);
    return OriginReply{HttpResponse("200 OK", "text/html", "<TITLE>Page " + name + "</TITLE>")};
  });
  StartProxy();
  const auto offered = [this] {
    const std::string page = Get("http://quenlark.invalid/bookmarks");
    const std::size_t title = page.find("NAME=t VALUE=\"") + 14;
    const std::size_t url = page.find("NAME=u VALUE=\"") + 14;
    return page.substr(title, page.find('"', title) - title) + " " +
           page.substr(url, page.find('"', url) - url);
  };
  const std::string base = "http://origin.test:" + std::to_string(origin.Port());
  Get(Url(origin, "/a.html"));
  ASSERT_TRUE(WaitFor([&] { return offered() == "Page a " + base + "/a.html"; })) << offered();
  EXPECT_TRUE(Get(Url(origin, "/favicon.ico")).starts_with("HTTP/1.0 404 Not Found\r\n"));
  ASSERT_TRUE(WaitFor([&] { return QFile::exists(proxy.DataDir() + "/2.ADL"); }));
  EXPECT_EQ(offered(), "Page a " + base + "/a.html");
  Get(Url(origin, "/b.html"));
  ASSERT_TRUE(WaitFor([&] { return offered() == "Page b " + base + "/b.html"; })) << offered();

  // Off-line, the answers come from the cache.
  proxy.Stop();
  proxy.Values()["Network"]["StartOffLine"] = "1";
  StartProxy();
  EXPECT_NE(Get(Url(origin, "/a.html")).find("<TITLE>Page a</TITLE>"), std::string::npos);
  EXPECT_EQ(offered(), "Page a " + base + "/a.html");
  EXPECT_NE(Get(Url(origin, "/favicon.ico")).find("<TITLE>404 Not Found</TITLE>"), std::string::npos);
  EXPECT_EQ(offered(), "Page a " + base + "/a.html");
  EXPECT_EQ(origin.RequestCount(), 3u);
}

} // namespace
} // namespace ql::test
