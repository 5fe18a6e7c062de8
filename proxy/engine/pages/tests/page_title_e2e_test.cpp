// A page's title as the real program takes it from a page it stores and shows it again on its
// cache page.
#include "support/proxy_road_fixture.h"

#include <QFile>
#include <gtest/gtest.h>

namespace ql::test {
namespace {

TEST_F(ProxyRoadTest, APageTitleIsDecodedOnceAndEscapedOnceOnTheCachePage) {
  const std::string page = "<HTML><HEAD><TITLE>About Harbour &amp; Co &#8211; &lt;Home&gt;</TITLE></HEAD>"
                           "Ships and tides.</HTML>";
  ScriptedOrigin origin(
      [&](const std::string &) { return OriginReply{HttpResponse("200 OK", "text/html", page)}; });
  StartProxy();
  Get(Url(origin, "/about.html"));
  ASSERT_TRUE(WaitFor([&] { return QFile(proxy.DataDir() + "/1.ADL").size() == qint64(page.size()); }));

  const std::string found = Get("http://quenlark.invalid/cache?page=1&title=harbour+%26+co&text=y");
  EXPECT_NE(found.find("<TH>1 match found</TH>"), std::string::npos) << found;
  EXPECT_NE(found.find("<B>About Harbour &amp; Co \xE2\x80\x93 &lt;Home&gt;</B>"), std::string::npos)
      << found;
  EXPECT_EQ(found.find("&amp;amp;"), std::string::npos);
}

} // namespace
} // namespace ql::test
