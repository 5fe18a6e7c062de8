// A browser's bookmark file imported by folder, then shown in the Locations browse of the
// application frame.

#include "library/core/browse_vornix.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/browse_driver.h"
#include "support/form_driver.h"
#include "support/import_fixture.h"
#include "support/library_fixture.h"
#include "support/print_qstring.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ImportBrowseTest : public FormTest {
protected:
  BrowseDriver driver_;
};

TEST_F(ImportBrowseTest, ImportedSitesShowUnderTheirFoldersInTheLocationsBrowse) {
  WriteInput("bookmarks.html",
             "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
             "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
             "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
             "    <DT><H3 ADD_DATE=\"1700000000\">News &amp; Weather</H3>\n    <DL><p>\n"
             "        <DT><A HREF=\"https://news.example/\" ADD_DATE=\"1700000000\">Daily News</A>\n"
             "        <DD>Headlines every morning\n"
             "        <DT><A HREF=\"https://weather.example/forecast\">Weather &#8211; five days</A>\n"
             "    </DL><p>\n"
             "    <DT><H3>Reference</H3>\n    <DL><p>\n"
             "        <DT><A HREF=\"https://dictionary.example/\">Dictionary</A>\n"
             "        <DT><A HREF=\"https://atlas.example/maps?zoom=3&amp;lang=en\">World Atlas</A>\n"
             "        <DT><A HREF=\"ftp://archive.example/pub/\">Archive</A>\n"
             "    </DL><p>\n"
             "    <DT><H3>Caf\xc3\xa9s</H3>\n    <DL><p>\n"
             "        <DT><A HREF=\"https://espresso.example/\">Espresso Bar M\xc3\xbcnchen</A>\n"
             "    </DL><p>\n</DL><p>\n");
  ASSERT_EQ(RunImport(ImportOf("HTML Document", "bookmarks.html")), 1);

  const int frameThread = START([] {
    Window frame(WindowSpec("Vornix", WindowKind::Frame));
    frame.Open();
    frame.Outer()->resize(900, 560);
    while (frame.Accept()) {
    }
    frame.Close();
  });
  driver_.Until([] { return Window::Frame() != nullptr; });
  const int thread = driver_.Start(BrowseVORNIX);
  EXPECT_EQ(
      driver_.Column(thread, 1),
      QStringList({"Archive", "Daily News", "Dictionary", QString::fromUtf8("Espresso Bar M\xc3\xbcnchen"),
                   QString::fromUtf8("Weather \xe2\x80\x93 five days"), "World Atlas"}));
  EXPECT_EQ(driver_.Column(thread, 3),
            QStringList({"Reference", "News & Weather", "Reference", QString::fromUtf8("Caf\xc3\xa9s"),
                         "News & Weather", "Reference"}));
  Window::ActiveOf(frameThread)->Post(EventKind::CloseWindow);
  driver_.Until([&] { return !scheduler::IsAlive(frameThread) && !scheduler::IsAlive(thread); });
}

} // namespace
} // namespace vx::test
