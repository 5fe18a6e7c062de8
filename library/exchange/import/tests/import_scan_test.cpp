// The reading rules of the import on single lines: where headings and links meet, lines
// whose quotes or separators are missing, and references decoded once.

#include "library/exchange/import/html_entities.h"
#include "library/exchange/import/import_scan.h"
#include "support/print_qstring.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

// What the lines give, one entry an item: "site guess|location|description|site info",
// "heading guess" or "info text".
QStringList ScanLines(ImportScanner::Rule rule, const QStringList &lines) {
  ImportScanner scanner(rule);
  std::vector<ImportItem> items;
  for (const QString &line : lines)
    scanner.Scan(line, items);
  QStringList out;
  for (const ImportItem &item : items) {
    switch (item.kind) {
    case ImportItem::Kind::Site:
      out << "site " + QStringList{item.guess, item.location, item.description, item.siteInfo}.join(u'|');
      break;
    case ImportItem::Kind::Heading:
      out << "heading " + item.guess;
      break;
    case ImportItem::Kind::SiteInfo:
      out << "info " + item.siteInfo;
      break;
    }
  }
  return out;
}

TEST(ImportScanTest, HeadingsAndLinksOnOneLine) {
  EXPECT_EQ(
      ScanLines(ImportScanner::Rule::Html,
                {"<a href=\"http://a.example/\">A</a> after <h2>Next</h2><a HREF=\"http://b.example/\">B</A>",
                 "<H3>Folder<a href=\"http://c.example/\">C</a></H3>",
                 "<html><head><hr><p>Page <a href=\"x:y\">"}),
      QStringList({"site |http://a.example/|A|after <h2>Next</h2><a HREF=\"http://b.example/\">B</A>",
                   "heading Next", "site Next|http://b.example/|B|", "heading Folder",
                   "site Folder|http://c.example/|C|", "heading ", "heading ", "heading ", "site |x:y||"}));
}

// The category of each site the lines give, with its description: "category|description".
QStringList SiteCategories(const QStringList &lines) {
  QStringList sites;
  for (const QString &found : ScanLines(ImportScanner::Rule::Html, lines)) {
    if (found.startsWith("site ")) {
      const QStringList fields = found.mid(5).split(u'|');
      sites << fields[0] + "|" + fields[2];
    }
  }
  return sites;
}

// In a bookmark file a link goes to the folder that holds it: after a sub-folder closes, to
// the folder around it, and at the top level to the file's top heading, with folders written
// one a line or all on one line. Other HTML keeps to the closest heading above a link.
TEST(ImportScanTest, BookmarkFileLinksGoToTheFolderThatHoldsThem) {
  const QStringList body = {"<TITLE>Bookmarks</TITLE>",
                            "<H1>Bookmarks Menu</H1>",
                            "<DL><p>",
                            "  <DT><H3 ADD_DATE=\"1\">Programming</H3>",
                            "  <DL><p>",
                            "    <DT><A HREF=\"https://a.example/\">First</A>",
                            "    <DT><H3>Nested \u00d6ffnung</H3>",
                            "    <dl>",
                            "      <DT><A HREF=\"https://b.example/\">Inside</A>",
                            "    </dl >",
                            "    <DT><A HREF=\"https://c.example/\">Back in Programming</A>",
                            "  </DL><p>",
                            "  <DT><H3>news</H3>",
                            "  <DL><p><DT><A HREF=\"https://d.example/\">Paper</A></DL><p>",
                            "  <DT><A HREF=\"https://e.example/\">Top level link</A>",
                            "  <DT><A HREF=\"https://f.example/dl\">A <dlx> is no folder</A>",
                            "</DL><p>",
                            "<A HREF=\"https://g.example/\">After the list</A>"};
  const QStringList inFolders = {"Programming|First",
                                 "Nested \u00d6ffnung|Inside",
                                 "Programming|Back in Programming",
                                 "news|Paper",
                                 "Bookmarks Menu|Top level link",
                                 "Bookmarks Menu|A <dlx> is no folder",
                                 "Bookmarks Menu|After the list"};
  EXPECT_EQ(SiteCategories(QStringList{"<!DOCTYPE NETSCAPE-Bookmark-file-1>"} + body), inFolders);
  EXPECT_EQ(SiteCategories({"<!DOCTYPE NETSCAPE-Bookmark-file-1>", body.join("")}), inFolders);
  EXPECT_EQ(SiteCategories(body),
            QStringList({"Programming|First", "Nested \u00d6ffnung|Inside",
                         "Nested \u00d6ffnung|Back in Programming", "news|Paper", "news|Top level link",
                         "news|A <dlx> is no folder", "news|After the list"}));
  // Closing more folders than were opened leaves the links at the top level.
  EXPECT_EQ(SiteCategories({"<!DOCTYPE NETSCAPE-Bookmark-file-1>", "<H1>Top</H1><DL><H3>Sub</H3><DL>",
                            "</DL></DL></DL></DL><A HREF=\"x:y\">Z</A>"}),
            QStringList({"Top|Z"}));
}

TEST(ImportScanTest, BrokenLinksEndTheLine) {
  EXPECT_EQ(ScanLines(ImportScanner::Rule::Html,
                      {"<a href=\"http://open.example/>No closing quote",
                       "<a href=http://bare.example/>Bare</a> <a href=",
                       "<a href=\"http://z.example/\" title=\"z\"", "<a href=\"#top\">Top</a>",
                       "<a href=\"page.html\">P</a><a href=\"http://q.example/\">Q</a>"}),
            QStringList({"site |http://z.example/||", "site |http://q.example/|Q|"}));
}

TEST(ImportScanTest, SiteInfoLinesCountInBookmarkFilesOnly) {
  EXPECT_EQ(ScanLines(ImportScanner::Rule::Html, {"<DD>Not a bookmark file"}), QStringList());
  EXPECT_EQ(ScanLines(ImportScanner::Rule::Html,
                      {"<!DOCTYPE NETSCAPE-Bookmark-file-1>", "  <dd>  First &lt;b&gt;<br>second"}),
            QStringList({"info First <b>"}));
}

TEST(ImportScanTest, ReferencesAreDecodedOnce) {
  EXPECT_EQ(DecodeEntities(u"&amp;amp; &lt;&gt; &#39;&#x27;&#X41; &nbsp;&quot;&apos; &bogus; &#0; & &amp"),
            "&amp; <> ''A  \"' &bogus; &#0; & &amp");
  EXPECT_EQ(
      ScanLines(ImportScanner::Rule::Html, {"<a href=\"http://e.example/?a=1&amp;amp;b\">A &amp;amp; B</a>"}),
      QStringList({"site |http://e.example/?a=1&amp;b|A &amp; B|"}));
}

TEST(ImportScanTest, PiecesAreCutToTheirFields) {
  const QString longText(2000, u'x');
  const QStringList found =
      ScanLines(ImportScanner::Rule::CommaDelimited, {"\"" + longText + "\",\"http://" + longText + "\",\"" +
                                                      longText + "\",\"" + longText + "\",123"});
  ASSERT_EQ(found.size(), 1);
  const QStringList fields = found[0].mid(5).split(u'|');
  EXPECT_EQ(fields[0].size(), 30);
  EXPECT_EQ(fields[1].size(), 255);
  EXPECT_EQ(fields[2].size(), 100);
  EXPECT_EQ(fields[3].size(), 1000);
}

} // namespace
} // namespace vx::test
