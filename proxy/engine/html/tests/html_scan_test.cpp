#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/autobrowse/item_links.h"
#include "proxy/engine/html/html_links.h"
#include "proxy/engine/html/html_title.h"
#include "proxy/engine/html/html_words.h"
#include "proxy/engine/http/url_resolve.h"

#include "support/cache_test_util.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql {
namespace {

using Links = QList<QByteArray>;
const QByteArray kPage = "http://h/a/b/p.html";

TEST(HtmlScan, WordsAndAttributeValues) {
  const QByteArray tag = "img src = \"  pic\x01tures/a b.gif \" alt=x\ty width=3>";
  qsizetype pos = 0;
  EXPECT_EQ(ReadHtmlWord(tag, pos), "IMG");
  EXPECT_EQ(ReadHtmlWord(tag, pos), "SRC");
  EXPECT_EQ(ReadHtmlAttrValue(tag, pos), "pictures/a b.gif");
  EXPECT_EQ(ReadHtmlWord(tag, pos), "ALT");
  EXPECT_EQ(ReadHtmlAttrValue(tag, pos), "xy");
  EXPECT_EQ(ReadHtmlWord(tag, pos), "WIDTH");
  EXPECT_EQ(ReadHtmlAttrValue(tag, pos), "3");
  EXPECT_EQ(ReadHtmlWord(tag, pos), "");
  EXPECT_EQ(pos, tag.size());
  qsizetype end = tag.size();
  EXPECT_EQ(ReadHtmlAttrValue(tag, end), "");
  qsizetype open = 0;
  EXPECT_EQ(ReadHtmlAttrValue("=\"unterminated", open), "unterminated");
}

TEST(HtmlScan, BaseAndResolution) {
  EXPECT_EQ(GetBaseURL(kPage, 255), "h/a/b/");
  EXPECT_EQ(GetBaseURL("HtTp://h/a/", 255), "h/a/");
  EXPECT_EQ(GetBaseURL("http://h", 255), "h");
  EXPECT_EQ(GetBaseURL("http://h/a/b/c", 3), "h/a");

  const QByteArray base = GetBaseURL(kPage, 255);
  EXPECT_EQ(ResolveURL("../img/x.gif", base), "http://h:80/a/img/x.gif");
  EXPECT_EQ(ResolveURL("/top.html", base), "http://h:80/top.html");
  EXPECT_EQ(ResolveURL("./././q.html#part", base), "http://h:80/a/b/q.html");
  EXPECT_EQ(ResolveURL("../../../../x", base), "http://h:80/x");
  EXPECT_EQ(ResolveURL("#here", base), "");
  EXPECT_EQ(ResolveURL("MaIlTo:someone@h", base), "");
  EXPECT_EQ(ResolveURL("news:comp.lang", base), "");
  EXPECT_EQ(ResolveURL("ftp://f/g", base), "ftp://f/g");
  EXPECT_EQ(ResolveURL("HTTP://Other:8080/p\\q", base), "http://other:8080/p/q");
  // A page at a bare host resolves relative links in the host's top directory.
  EXPECT_EQ(ResolveURL("x.html", GetBaseURL("http://h", 255)), "http://h:80/x.html");
}

TEST(HtmlScan, LinkKindsByTagAndAttribute) {
  const QByteArray html = "<a href=\"one.html\">1</a><img src=i.gif lowsrc=l.gif><frame src=f.html>"
                          "<embed src=e.mid><applet code=C.class><input type=image src=b.gif>"
                          "<input type=text value=v.html><body background=bg.gif><img dynsrc=d.avi>"
                          "<a href=\"one.html\">again</a><table><td background=cell.gif></td></table>";
  EXPECT_EQ(ScanLinks(html, kPage),
            (Links{"http://h:80/a/b/one.html", "!http://h:80/a/b/i.gif", "!http://h:80/a/b/l.gif",
                   "^http://h:80/a/b/f.html", "#http://h:80/a/b/e.mid", "*http://h:80/a/b/C.class",
                   "!http://h:80/a/b/b.gif", "!http://h:80/a/b/bg.gif", "!http://h:80/a/b/d.avi",
                   "!http://h:80/a/b/cell.gif"}));
}

TEST(HtmlScan, MetaRefreshAndBaseChange) {
  const QByteArray html = "<meta http-equiv=refresh content=\"5; URL=next.html\">"
                          "<meta name=keywords content=\"a, b, c\">"
                          "<a href=before.html><base href=\"http://other/dir/page.html\"><a href=after.html>"
                          "<a href=/root.html>";
  EXPECT_EQ(ScanLinks(html, kPage), (Links{"^http://h:80/a/b/next.html", "http://h:80/a/b/before.html",
                                           "http://other:80/dir/after.html", "http://other:80/root.html"}));
}

TEST(HtmlScan, CommentsShortTagsAndIgnoredLinks) {
  EXPECT_EQ(ScanLinks("<!-- <a href=hidden.html> --><a href=shown.html>", kPage),
            Links{"http://h:80/a/b/shown.html"});
  // With no "-->" anywhere, every comment of the page ends at its next ">".
  EXPECT_EQ(ScanLinks("<!-- <a href=hidden.html> <a href=seen.html><!-- x ><a href=last.html>", kPage),
            (Links{"http://h:80/a/b/seen.html", "http://h:80/a/b/last.html"}));
  EXPECT_EQ(ScanLinks("<a src=x><img src=xy>", kPage), Links{"!http://h:80/a/b/xy"});
  EXPECT_EQ(ScanLinks("<a href=#top><a href=mailto:a@b><p class=x src=y.gif><a href=>", kPage), Links{});
  EXPECT_EQ(ScanLinks("<a href=unterminated.html", kPage), Links{"http://h:80/a/b/unterminated.html"});
}

TEST(HtmlScan, Titles) {
  EXPECT_EQ(ExtractTitleFromText("<html><head><TITLE>  My\r\n Page\t </title>"), "My Page");
  EXPECT_EQ(ExtractTitleFromText("<title lang=en>x</title>"), "x");
  EXPECT_EQ(ExtractTitleFromText("<!-- <title>not this</title> --><title>this"), "this");
  EXPECT_EQ(ExtractTitleFromText("<html><body>no title</body>"), "");
  EXPECT_EQ(ExtractTitleFromText("<title>"), "");
  EXPECT_EQ(ExtractTitleFromText(""), "");
  const QByteArray longTitle(150, 'w');
  EXPECT_EQ(ExtractTitleFromText("<title>" + longTitle + "</title>"), longTitle.left(100));
  // Character references are decoded once, where the title is taken.
  EXPECT_EQ(ExtractTitleFromText("<title>About Harbour &amp; Co</title>"), "About Harbour & Co");
  EXPECT_EQ(ExtractTitleFromText("<title>&amp;lt; &#233;t&eacute;&#10;</title>"), "&lt; \xC3\xA9t\xC3\xA9");
  // A title of references longer than 100 bytes once decoded is cut between characters.
  QByteArray accents;
  for (int i = 0; i < 60; ++i)
    accents += "&eacute;";
  EXPECT_EQ(ExtractTitleFromText("<title>x" + accents + "</title>"),
            "x" + QByteArray("\xC3\xA9").repeated(49));
}

TEST(HtmlScan, StoredFiles) {
  QTemporaryDir dir;
  const QString page = dir.filePath("1.ADL");
  test::WriteBytes(page, "<title>Stored</title><img src=\"pic.gif\"><a href=\"../up.html\">");
  EXPECT_EQ(ExtractTitle(page), "Stored");
  EXPECT_EQ(ExtractTitle(dir.filePath("missing")), "");

  TAutoItem item;
  item.URL = "http://h:80/a/page.html";
  Links queued;
  const auto queue = [&](const QByteArray &link, TAutoItem &from) {
    EXPECT_EQ(&from, &item);
    queued << link;
  };
  ExtractLinks(item, page, queue);
  EXPECT_EQ(queued, (Links{"!http://h:80/a/pic.gif", "http://h:80/up.html"}));
  ExtractLinks(item, dir.filePath("missing"), queue);
  EXPECT_EQ(queued.size(), 2);
}

} // namespace
} // namespace ql
