#include "library/exchange/export/export_names.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(ExportNamesTest, DefaultExtensionLowerCasesTheFilePartOnly) {
  EXPECT_EQ(WithDefaultExtension("Sites", "HTML - Table"), "sites.htm");
  EXPECT_EQ(WithDefaultExtension("MyList", "ASCII"), "mylist.txt");
  EXPECT_EQ(WithDefaultExtension("My.List", "ASCII"), "My.List");
  EXPECT_EQ(WithDefaultExtension("/home/Ann/Web.Pages/MyList  ", "Comma-Delimited"),
            "/home/Ann/Web.Pages/mylist.txt");
  EXPECT_EQ(WithDefaultExtension("C:\\WEB\\Sites", "HTML - Frame"), "C:\\WEB\\sites.htm");
  EXPECT_EQ(WithDefaultExtension("/home/Ann/Links.htm", "ASCII"), "/home/Ann/Links.htm");
}

TEST(ExportNamesTest, FrameBaseComesFromTheFilePartAndKeepsItsCase) {
  const FrameNames sites("C:\\WEB\\SITES.HTM");
  EXPECT_EQ(sites.contents(), "C:\\WEB\\SITES_c.htm");
  EXPECT_EQ(sites.firstPage(), "C:\\WEB\\SITES_m.htm");
  EXPECT_EQ(sites.banner(), "C:\\WEB\\SITES_b.htm");
  EXPECT_EQ(sites.page(1), "C:\\WEB\\SITES_1.htm");
  EXPECT_EQ(sites.page(9), "C:\\WEB\\SITES_9.htm");
  EXPECT_EQ(sites.page(10), "C:\\WEB\\SITES10.htm");
  EXPECT_EQ(sites.page(11), "C:\\WEB\\SITES11.htm");

  EXPECT_EQ(FrameNames("/home/ann/my.web/links").base(), "/home/ann/my.web/links_");
  EXPECT_EQ(FrameNames("/srv/bookmarks.html").base(), "/srv/bookmark");
  EXPECT_EQ(FrameNames("/srv/Exactly.htm").base(), "/srv/Exactly");
  EXPECT_EQ(FrameNames("a.b.c").base(), "a_");
}

} // namespace
} // namespace vx
