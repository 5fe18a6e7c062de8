// The pseudo-host's pages as the real program serves them: the off-line page's switch link
// and bookmark form reach them, and the pictures drawn at build time lie beside the program.
#include "support/proxy_road_fixture.h"

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
  // Its links go without a Referer; its switch links carry the token of that switch.
  EXPECT_NE(missing.find("<META NAME=referrer CONTENT=no-referrer>"), std::string::npos);
  const std::size_t text = missing.find(">Switch to 'online' mode");
  ASSERT_NE(text, std::string::npos) << missing;
  const std::size_t start = missing.rfind("<A HREF=", text) + 8;
  const std::string link = missing.substr(start, text - start);
  EXPECT_TRUE(link.starts_with("http://quenlark.invalid/online;")) << link;
  EXPECT_TRUE(link.ends_with("?" + at + "/x.html")) << link;
  EXPECT_NE(missing.find("<A HREF=" + link +
                         "><IMG WIDTH=25 HEIGHT=24 BORDER=0 SRC=http://quenlark.invalid/images/"
                         "offline.gif>"),
            std::string::npos)
      << missing;

  // The same switch typed by hand only offers the link.
  const std::string typed = Get("http://quenlark.invalid/online?" + at + "/x.html");
  EXPECT_TRUE(typed.starts_with("HTTP/1.0 403 Forbidden\r\n")) << typed;
  EXPECT_TRUE(Get("http://" + at + "/x.html").starts_with("HTTP/1.0 404 Not in Cache"));
  EXPECT_EQ(origin.RequestCount(), 0u);

  EXPECT_TRUE(Get(link).starts_with("HTTP/1.0 302 Now Get... \r\nLocation: http://" + at + "/x.html\r\n"));
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

} // namespace
} // namespace ql::test
