// The import run over real files: a browser's bookmark file, the export's comma-delimited
// file read back, plain text, files imported twice, a cancelled run and files that cannot
// be read.

#include "library/core/dictionary.h"
#include "library/exchange/import/import_process.h"
#include "library/runtime/data/error_state.h"
#include "support/export_fixture.h"
#include "support/import_fixture.h"
#include "support/print_qstring.h"
#include "support/recording_progress.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

// A bookmark file as a current browser writes it: nested folders with <DD> descriptions of
// sites and folders, links after a closed sub-folder and at the top level, a separator,
// relative and empty addresses, character references, UTF-8 titles and an icon that makes a
// line far longer than 512 bytes.
QByteArray BookmarkFile(const QByteArray &trackerInfo = "Where the issues are") {
  return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
         "<TITLE>Bookmarks</TITLE>\n"
         "<H1>Bookmarks Menu</H1>\n"
         "<DL><p>\n"
         "    <DT><A HREF=\"https://loose.example/\" ADD_DATE=\"1\">Loose &amp; free</A>\n"
         "    <DT><H3 ADD_DATE=\"1\">Work</H3>\n"
         "    <DD>Things for the job\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"https://tracker.example/issues?a=1&amp;b=2\" ADD_DATE=\"2\" "
         "ICON=\"data:image/png;base64," +
         QByteArray(700, 'A') + "\">Tracker</A>\n        <DD>" + trackerInfo +
         "<BR>second line\n"
         "        <DT><A HREF=\"https://wiki.example/\">Wiki &#39;n&#x27; notes &quot;daily&quot;</A>\n"
         "        <DT><H3>Reading &amp; News</H3>\n"
         "        <DL><p>\n"
         "            <DT><A HREF=\"https://zeitung.example/\">Zeitung f\xc3\xbcr M\xc3\xbcller \xe2\x80\x93 "
         "t\xc3\xa4glich</A>\n"
         "            <DT><A HREF=\"relative/page.html\">Relative</A>\n"
         "            <DT><A HREF=\"\">Empty</A>\n"
         "            <DT><A HREF=\"mailto:me@mail.example\">Mail me</A>\n"
         "        </DL><p>\n"
         "        <HR>\n"
         "        <DT><A HREF=\"news:comp.lang.c\">Newsgroup</A>\n"
         "    </DL><p>\n"
         "    <DT><H3>tools</H3>\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"ftp://files.example/pub/\">Files</A>\n"
         "        <DD>Mirror of everything\n"
         "    </DL><p>\n"
         "    <DT><A HREF=\"https://top.example/\">Top level link</A>\n"
         "</DL><p>\n";
}

const QStringList kBookmarkSites = {
    "Bookmarks Menu|https://loose.example/|Loose & free||0|https",
    "Work|https://tracker.example/issues?a=1&b=2|Tracker|Where the issues are|0|https",
    "Work|https://wiki.example/|Wiki 'n' notes \"daily\"||0|https",
    QString::fromUtf8("Reading & News|https://zeitung.example/|Zeitung f\xc3\xbcr M\xc3\xbcller \xe2\x80\x93 "
                      "t\xc3\xa4glich||0|https"),
    "Reading & News|mailto:me@mail.example|Mail me||0|mailto:",
    "Work|news:comp.lang.c|Newsgroup||0|?",
    "Tools|ftp://files.example/pub/|Files|Mirror of everything|0|ftp",
    "Bookmarks Menu|https://top.example/|Top level link||0|https",
};

class ImportProcessTest : public LibraryTest {
protected:
  ImportProcessTest() { TakeAll(); }

  void AddCategoryWithDescription(const QString &name, const QString &description) {
    CLEAR(Categories());
    CAT().Category = name;
    CAT().Description = description;
    ADD(Categories());
    ASSERT_EQ(ERRORCODE(), 0);
  }
};

TEST_F(ImportProcessTest, BookmarkFileFilesSitesUnderTheirFolders) {
  AddCategoryWithDescription("Tools", "Handy");
  // What the Import window leaves in the Categories buffer must not pass for a known category.
  CLEAR(Categories());
  CAT().Category = "Work";
  CAT().Description = "left over";
  WriteInput("bookmarks.html", BookmarkFile());
  RecordingProgress progress;
  ImportProcess process(ImportOf("HTML Document", "bookmarks.html"), progress);
  EXPECT_EQ(RunToEnd(process), 1);

  EXPECT_EQ(SiteRows(), kBookmarkSites);
  EXPECT_EQ(CategoryRows(), QStringList({"Bookmarks Menu:", "Reading & News:", "Tools:Handy", "Work:"}));
  EXPECT_EQ(process.sitesAdded(), 8);
  EXPECT_EQ(process.categoriesAdded(), 3);
  EXPECT_EQ(progress.texts, QStringList({"Processing Records", "Importing"}));
  EXPECT_EQ(progress.lines.first(), "0% Completed");
  EXPECT_EQ(progress.lines.last(), "Process Completed");
  EXPECT_TRUE(shown_.empty());
}

// In a browser's bookmark file a separator is no heading: the links after it stay in their
// folder. In any other HTML a rule still counts as a heading without a title, and the links
// under it go to "New".
TEST_F(ImportProcessTest, SeparatorOfABookmarkFileKeepsTheFolderCategory) {
  const QByteArray links = "<DT><H3>Toolbar</H3>\n<DL><p>\n"
                           "<DT><A HREF=\"https://one.example/\">One</A>\n"
                           "<HR>\n"
                           "<DT><A HREF=\"https://two.example/\">Two</A>\n"
                           "<DT><HR><A HREF=\"https://three.example/\">Three</A>\n"
                           "</DL><p>\n";
  WriteInput("bookmarks.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n" + links);
  ASSERT_EQ(RunImport(ImportOf("HTML Document", "bookmarks.html")), 1);
  EXPECT_EQ(SiteRows(), QStringList({"Toolbar|https://one.example/|One||0|https",
                                     "Toolbar|https://two.example/|Two||0|https",
                                     "Toolbar|https://three.example/|Three||0|https"}));

  WriteInput("page.html", links.toLower().replace("example", "example.org"));
  ASSERT_EQ(RunImport(ImportOf("HTML Document", "page.html")), 1);
  EXPECT_EQ(SiteRows().mid(3), QStringList({"Toolbar|https://one.example.org/|one||0|https",
                                            "New|https://two.example.org/|two||0|https",
                                            "New|https://three.example.org/|three||0|https"}));
}

TEST_F(ImportProcessTest, FileImportedTwiceAddsNothingAndItsSiteInfoTouchesNoStoredSite) {
  AddCategoryWithDescription("Tools", "Handy");
  WriteInput("bookmarks.html", BookmarkFile());
  ASSERT_EQ(RunImport(ImportOf("HTML Document", "bookmarks.html")), 1);
  WriteInput("changed.html", BookmarkFile("Changed"));
  RecordingProgress progress;
  ImportProcess again(ImportOf("h", "changed.html"), progress);
  EXPECT_EQ(RunToEnd(again), 1);
  EXPECT_EQ(again.sitesAdded(), 0);
  EXPECT_EQ(again.duplicatesSkipped(), 8);
  EXPECT_EQ(SiteRows(), kBookmarkSites);
}

TEST_F(ImportProcessTest, CommaDelimitedExportImportsBackWhole) {
  FillExportFixture();
  ASSERT_EQ(RunExport(AllOf("Comma-Delimited", "sites.csv")), 1);
  QStringList expected;
  for (const FixtureSite &site : FixtureSites())
    expected << QStringList{site.category == "news"   ? "News"
                            : site.category.isEmpty() ? "New"
                                                      : site.category,
                            site.location,
                            site.description,
                            QString(site.siteInfo).replace(u'\n', u' '),
                            QString::number(site.rating),
                            "http"}
                    .join(u'|');
  expected.sort();

  // Into a fresh library.
  for (DataFile *file : std::initializer_list<DataFile *>{&Categories(), &VORNIX(), &CatHTML(), &History()})
    ReleaseFile(*file);
  ASSERT_TRUE(QDir().mkdir("fresh"));
  ASSERT_TRUE(QFile::rename("sites.csv", "fresh/sites.csv"));
  QDir::setCurrent("fresh");
  TakeAll();
  ASSERT_EQ(RunImport(ImportOf("Comma-delimited file", "sites.csv")), 1);
  QStringList imported = SiteRows();
  imported.sort();
  EXPECT_EQ(imported, expected);
  EXPECT_EQ(CategoryRows().size(), 12); // Cat 01 to Cat 09, New, News, Tools; no blank category
  EXPECT_TRUE(shown_.empty());
}

TEST_F(ImportProcessTest, CommaDelimitedLinesOfEveryShape) {
  WriteInput("lines.csv", "\"Arts\",\"http://a.example/\",\"A \"\"quoted\"\" title\",7\n"
                          "\"Arts\",\"http://b.example/\",\"B\",\"Info, with comma\",-3\n"
                          "\"Arts\",\"http://c.example/\"\n"
                          "\"Arts\",\"http://d.example/\",\"never closed\n"
                          "no quotes at all\n"
                          "junk \"x\" then \"Books\",\"http://e.example/\",\"E\"\n"
                          "\"Arts\",\"#anchor\",\"skipped\" \"Tools\",\"http://f.example/\",\"F\"\n");
  ASSERT_EQ(RunImport(ImportOf("Comma-delimited file", "lines.csv")), 1);
  EXPECT_EQ(SiteRows(),
            QStringList({"Arts|http://a.example/|A \"quoted\" title||7|http",
                         "Arts|http://b.example/|B|Info, with comma|-3|http",
                         "Books|http://e.example/|E||0|http", "Tools|http://f.example/|F||0|http"}));
}

TEST_F(ImportProcessTest, PlainTextAddressesGoToTheSelectedCategoryAsStored) {
  ASSERT_EQ(AddCategory("Links"), 0);
  WriteInput("notes.txt", "See http://one.example/path?x=1 for the manual, and ftp://two.example/f.txt too\n"
                          "<a href=\"http://three.example/\">Three</a> and <a href='relative.html'>rel</a>\n"
                          "Menu: gopher://four.example/1/menu\n"
                          "Secure: https://seven.example/login then http://eight.example/\n"
                          "Nothing here: www.five.example, HTTP://SIX.EXAMPLE/\n");
  ASSERT_EQ(RunImport(ImportOf("Any ASCII text file", "notes.txt", "Selected Category", "links")), 1);
  const QString manual = "for the manual, and ftp://two.example/f.txt too";
  const QString three = ">Three</a> and <a href='relative.html'>rel</a>";
  EXPECT_EQ(SiteRows(), QStringList({"Links|http://one.example/path?x=1|" + manual + "|" + manual + "|0|http",
                                     "Links|ftp://two.example/f.txt|too|too|0|ftp",
                                     "Links|http://three.example/|" + three + "|" + three + "|0|http",
                                     "Links|gopher://four.example/1/menu|||0|gopher",
                                     "Links|https://seven.example/login|then http://eight.example/|then "
                                     "http://eight.example/|0|https",
                                     "Links|http://eight.example/|||0|http"}));
  EXPECT_EQ(CategoryRows(), QStringList({"Links:"}));
}

// A plain-text file has no headings: with "Make Best Guess" its sites go to "New", which is
// added to Categories, and never to a blank category.
TEST_F(ImportProcessTest, SitesWithoutAGuessGoToNew) {
  WriteInput("plain.txt", "http://one.example/\nhttps://two.example/\n");
  ASSERT_EQ(RunImport(ImportOf("Any ASCII text file", "plain.txt")), 1);
  EXPECT_EQ(SiteRows(),
            QStringList({"New|http://one.example/|||0|http", "New|https://two.example/|||0|https"}));
  EXPECT_EQ(CategoryRows(), QStringList({"New:"}));
}

TEST_F(ImportProcessTest, CancelKeepsWhatWasAdded) {
  QByteArray text;
  for (int i = 0; i < 50000; ++i)
    text += "http://site" + QByteArray::number(i) + ".example/ number " + QByteArray::number(i) + "\n";
  WriteInput("many.txt", text);
  RecordingProgress progress(1); // one batch, then Cancel
  ImportProcess process(ImportOf("Any", "many.txt"), progress);
  while (process.Step()) {
  }
  EXPECT_EQ(process.Finish(), 2);
  const qint64 stored = RECORDS(VORNIX());
  EXPECT_GT(stored, 0);
  EXPECT_LT(stored, 50000);
  EXPECT_EQ(stored, process.sitesAdded());
  EXPECT_EQ(SiteRows().last(),
            QString("New|http://site%1.example/|number %1|number %1|0|http").arg(stored - 1));
}

TEST_F(ImportProcessTest, FileThatCannotBeReadIsShownAndNeverCreated) {
  EXPECT_EQ(RunImport(ImportOf("HTML Document", "missing.htm")), 2);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "File Access Error");
  EXPECT_EQ(shown_[0].text, "File (missing.htm) could not be opened.  Error: File Not Found (2).");
  EXPECT_FALSE(QFile::exists("missing.htm"));

  ASSERT_TRUE(QDir().mkdir("folder.htm"));
  EXPECT_EQ(RunImport(ImportOf("HTML Document", "folder.htm")), 2);
  ASSERT_EQ(shown_.size(), 2u);
  EXPECT_TRUE(shown_[1].text.startsWith("File (folder.htm) could not be opened."))
      << shown_[1].text.toStdString();

  WriteInput("sites.htm", "<a href=\"http://a.example/\">A</a>\n");
  EXPECT_EQ(RunImport(ImportOf("XML", "sites.htm")), 1); // no known type: nothing is read
  EXPECT_EQ(RECORDS(VORNIX()), 0);
}

// A file that holds nothing to import says so, naming the file and why: an empty file, a
// binary one (which is not read at all, though it holds an address), a text without an
// address, and a read error of the file itself.
TEST_F(ImportProcessTest, FileWithNothingToImportSaysWhy) {
  WriteInput("empty.htm", "");
  WriteInput("picture.gif", "GIF89a\x01" + QByteArray(3, '\0') + " http://in.binary.example/ ");
  WriteInput("words.txt", "just words\nand more words\n");
  EXPECT_EQ(RunImport(ImportOf("HTML Document", "empty.htm")), 1);
  EXPECT_EQ(RunImport(ImportOf("Any ASCII text file", "picture.gif")), 2);
  EXPECT_EQ(RunImport(ImportOf("Any ASCII text file", "words.txt")), 1);
  ASSERT_EQ(shown_.size(), 3u);
  EXPECT_EQ(shown_[0].text, "The file empty.htm is empty.");
  EXPECT_EQ(shown_[1].text, "The file picture.gif is not a text file: it holds binary data.");
  EXPECT_EQ(shown_[2].text, "No web addresses were found in the file words.txt.");
  for (const MessageRequest &shown : shown_)
    EXPECT_EQ(shown.caption, "Nothing to Import");
  EXPECT_EQ(RECORDS(VORNIX()), 0);

  // The kernel refuses every read of this file, though it opens.
  const QString unreadable = "/proc/self/clear_refs";
  if (!QFile(unreadable).open(QIODevice::ReadOnly))
    return;
  shown_.clear();
  EXPECT_EQ(RunImport(ImportOf("HTML Document", unreadable)), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].caption, "Record Retrieval Error");
  EXPECT_TRUE(shown_[0].text.contains("from the /proc/self/clear_refs file")) << shown_[0].text.toStdString();
}

} // namespace
} // namespace vx::test
