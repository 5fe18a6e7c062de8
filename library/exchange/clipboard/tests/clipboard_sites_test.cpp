// Adding what the clipboard scan finds: new sites with their categories, descriptions and
// Site Info, and the sites that must not be added.

#include "library/core/dictionary.h"
#include "library/exchange/clipboard/clipboard_sites.h"
#include "library/runtime/data/error_state.h"
#include "support/library_fixture.h"
#include "support/old_files.h"
#include "support/print_qstring.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

class ClipboardSitesTest : public LibraryTest {
protected:
  ClipboardSitesTest() { TakeAll(); }

  QStringList CategoryNames() {
    QStringList names;
    SET(Categories().K_Category);
    for (NEXT(Categories()); ERRORCODE() == 0; NEXT(Categories()))
      names << CAT().Category.clipped();
    return names;
  }

  ClipboardTally tally_;
};

TEST_F(ClipboardSitesTest, SentenceAddsOneSiteUnderClipboard) {
  ScanClipboardText("Visit http://a.example/ for news", tally_);
  EXPECT_EQ(NewSites(), QStringList{"http://a.example/|for news|Clipboard|0|http|"});
  EXPECT_EQ(CategoryNames(), QStringList{"Clipboard"});
  EXPECT_EQ(tally_.added, 1);
  EXPECT_EQ(tally_.status, "Added 1:  http://a.example/");
}

TEST_F(ClipboardSitesTest, AddressAloneGetsADatedDescription) {
  ScanClipboardText("www.x.com", tally_);
  const QStringList sites = NewSites();
  ASSERT_EQ(sites.size(), 1);
  EXPECT_TRUE(QRegularExpression("^http://www\\.x\\.com\\|Added from clipboard [A-Z]{3} \\d{1,2},\\d{4} "
                                 "\\d{1,2}:\\d\\d[AP]M http://www\\.x\\.com\\|Clipboard\\|0\\|http\\|$")
                  .match(sites[0])
                  .hasMatch())
      << sites[0].toStdString();
}

// A stored location and an anchor add nothing; a rule or a heading without text before a
// link files the site under "New", which is added, never under a blank category.
TEST_F(ClipboardSitesTest, KnownAnchorAddsNothingAndAHeadingWithoutTextGivesNew) {
  ASSERT_EQ(AddSite("HTTP://A.EXAMPLE/", "Stored", "News"), 0);
  ScanClipboardText("<a href=\"http://a.example/\">Again</a><a href=\"#top:1\">Top</a>"
                    "<hr><a href=\"http://b.example/\">B</a><h3>  </h3><a href=\"http://c.example/\">C</a>",
                    tally_);
  EXPECT_EQ(NewSites(), QStringList({"HTTP://A.EXAMPLE/|Stored|News|0||", "http://b.example/|B|New|0|http|",
                                     "http://c.example/|C|New|0|http|"}));
  EXPECT_EQ(CategoryNames(), QStringList({"Clipboard", "New"}));
  EXPECT_EQ(tally_.added, 2);
}

TEST_F(ClipboardSitesTest, DuplicateTestLeavesTheNewSiteInfoAlone) {
  ASSERT_EQ(AddSite("http://b.example/", "Stored", "News"), 0);
  URL().SiteInfo = "memo of the stored site";
  PUT(VORNIX());
  ASSERT_EQ(ERRORCODE(), 0);
  // Both new locations sort just before the stored one, where the duplicate test looks.
  ScanClipboardText("<a href=\"http://a.example/\">A</a> notes on A", tally_);
  ScanClipboardText("Visit http://aa.example/ for news", tally_);
  EXPECT_EQ(NewSites(), QStringList({"http://a.example/|A|Clipboard|0|http|notes on A",
                                     "http://aa.example/|for news|Clipboard|0|http|",
                                     "http://b.example/|Stored|News|0||memo of the stored site"}));
}

} // namespace
} // namespace vx::test
