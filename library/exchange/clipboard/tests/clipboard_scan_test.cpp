// Finding addresses in copied text: plain sentences, "www." names, HTML fragments with
// headings, white space of every kind, and links that once made the scan run forever.

#include "library/exchange/clipboard/clipboard_scan.h"
#include "support/print_qstring.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace vx {
namespace {

// Each site as "location|description|category|keyword|site info".
QStringList Found(const QString &text) {
  QStringList out;
  for (const ClipboardSite &site : FindClipboardSites(text))
    out << QStringList{site.location, site.description, site.category, site.keyword, site.siteInfo}.join('|');
  return out;
}

TEST(ClipboardScan, PlainTextAddresses) {
  EXPECT_EQ(Found("Visit http://a.example/ for news"),
            QStringList{"http://a.example/|for news|Clipboard|http|"});
  EXPECT_EQ(Found("http://a.example/"), QStringList{"http://a.example/||Clipboard|http|"});
  EXPECT_EQ(Found("www.x.com"), QStringList{"http://www.x.com||Clipboard|http|"});
  EXPECT_EQ(Found("write to MAILTO:me@x.example today"),
            QStringList{"MAILTO:me@x.example|today|Clipboard|mailto:|"});
  EXPECT_EQ(Found("no address here, nor www"), QStringList{});
  // The first marker present wins, even when another one stands earlier in the text.
  EXPECT_EQ(Found("ftp://f.example/ then http://h.example/"),
            QStringList{"http://h.example/||Clipboard|http|"});
  // "https://" counts as "http://" does, and keeps its scheme, also before "www.".
  EXPECT_EQ(Found("Read https://www.s.example/a?b=1 now"),
            QStringList{"https://www.s.example/a?b=1|now|Clipboard|https|"});
  EXPECT_EQ(Found("ftp://f.example/ https://s.example/ and http://h.example/"),
            QStringList({"https://s.example/|and http://h.example/|Clipboard|https|",
                         "http://h.example/||Clipboard|http|"}));
  // Without "</a>" the description is all the rest, which is scanned again.
  EXPECT_EQ(Found("http://a.example/ http://b.example/"),
            QStringList({"http://a.example/|http://b.example/|Clipboard|http|",
                         "http://b.example/||Clipboard|http|"}));
}

TEST(ClipboardScan, AddressEndsAtAnyWhiteSpace) {
  EXPECT_EQ(Found("see http://a.example/\tnews"), QStringList{"http://a.example/|news|Clipboard|http|"});
  EXPECT_EQ(Found("http://a.example/\r\nNews of the day\n"),
            QStringList{"http://a.example/|News of the day|Clipboard|http|"});
  EXPECT_EQ(Found(QStringLiteral("http://a.example/\u00a0x")),
            QStringList{"http://a.example/|x|Clipboard|http|"});
}

TEST(ClipboardScan, HtmlLinksWithHeadingsAndSiteInfo) {
  EXPECT_EQ(Found("<h3>Daily News</h3>\n<a href=\"http://one.example/\">One</a>\n"
                  "<A HREF=\"ftp://two.example/\">Two</A>  notes on two "),
            QStringList({"http://one.example/|One|Daily News|http|",
                         "ftp://two.example/|Two|Clipboard|ftp|notes on two"}));
  // A bookmark file's folder heading; "<hr>" counts as a heading too, "<html>" does not.
  EXPECT_EQ(Found("<DT><H3 ADD_DATE=\"1\">Tools</H3>\n<DT><A HREF=\"http://t.example/\">T</A>\n<DT>"),
            QStringList{"http://t.example/|T|Tools|http|"});
  EXPECT_EQ(Found("<hr>Misc<a href=\"mailto:a@b.example\">Mail</a><html><a href=\"http://c.example/\">C</a>"),
            QStringList({"mailto:a@b.example|Mail|Misc|mailto:|", "http://c.example/|C|Clipboard|http|"}));
  // Links without ":" are left out.
  EXPECT_EQ(Found("<a href=\"#top\">Top</a><a href=\"page.html\">Relative</a>"), QStringList{});
}

TEST(ClipboardScan, OnlyTheFirstTwoThousandCharactersCount) {
  EXPECT_EQ(Found(QString(1985, u'x') + " www.a.example"),
            QStringList{"http://www.a.example||Clipboard|http|"});
  EXPECT_EQ(Found(QString(1996, u'x') + " www.a.example"), QStringList{});
  // An address that the cut splits is not taken; one that ends right at the cut is.
  EXPECT_EQ(Found(QString(1990, u'x') + " www.a.example"), QStringList{});
  EXPECT_EQ(Found(QString(1980, u'x') + " http://" + QString(1000, u'x')), QStringList{});
  EXPECT_EQ(Found(QString(1986, u'x') + " www.a.example more"),
            QStringList{"http://www.a.example||Clipboard|http|"});
}

// Sentences with an address in each, copied many times over: the scan's 2000 characters end
// inside the host of one of them ("http://bi"), which is not taken; every address taken is
// whole.
TEST(ClipboardScan, AnAddressSplitByTheCutIsLeftOut) {
  QString text;
  for (int i = 0; text.size() < 3000; ++i)
    text += QStringLiteral("word%1 http://big%1.example/ desc ").arg(i);
  const qsizetype last = text.lastIndexOf("http://", kClipboardTextLength - 9);
  text.prepend(QString(kClipboardTextLength - 9 - last, u'x'));
  ASSERT_EQ(text.mid(kClipboardTextLength - 9, 9), "http://bi");
  const QStringList found = Found(text);
  ASSERT_FALSE(found.isEmpty());
  for (qsizetype i = 0; i < found.size(); ++i)
    EXPECT_TRUE(found[i].startsWith(QStringLiteral("http://big%1.example/|").arg(i)))
        << found[i].toStdString();
  EXPECT_EQ(found.size(), text.left(kClipboardTextLength).count(" http://") - 1);
}

// An address with nothing after its scheme names no site: in plain text or as a link.
TEST(ClipboardScan, AddressesWithoutAHostAreLeftOut) {
  EXPECT_EQ(Found("see http:// and https:///path and FTP://user@:21/ then telnet://"), QStringList{});
  EXPECT_EQ(
      Found("<a href=\"http://\">Empty</a><a href=\"https://?q\">Query</a><a href=\"http://[::1]/\">Six</a>"),
      QStringList{"http://[::1]/|Six|Clipboard|http|"});
  EXPECT_EQ(Found("http:// http://ok.example/"), QStringList{"http://ok.example/||Clipboard|http|"});
  // Other schemes may name no host.
  EXPECT_EQ(Found("<a href=\"file:///home/notes.html\">Notes</a>"),
            QStringList{"file:///home/notes.html|Notes|Clipboard|file|"});
}

TEST(ClipboardScan, MalformedLinksEndTheScan) {
  EXPECT_EQ(Found("href=nothing quoted"), QStringList{});
  EXPECT_EQ(Found(QString("href").repeated(600)), QStringList{});
  EXPECT_EQ(Found(QString("<h3 ADD").repeated(300)), QStringList{});
  // An unclosed quote: the address is then found as plain text.
  EXPECT_EQ(Found("<a href=\"http://open.example/ and no end"),
            QStringList{"http://open.example/|and no end|Clipboard|http|"});
}

} // namespace
} // namespace vx
