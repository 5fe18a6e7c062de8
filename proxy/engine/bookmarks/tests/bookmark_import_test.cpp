#include "proxy/engine/bookmarks/bookmark_import.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <QFile>
#include <gtest/gtest.h>

namespace ql {
namespace {

// The tree as indented lines: a folder's title ends in "/", a bookmark's is followed by its URL.
std::string Outline(const TBookmarkOutline &tree) {
  QStringList lines;
  tree.ForEach([&lines](const TBookmarkNode &node) {
    QString line = QString(2 * (node.Level() - 1), QLatin1Char(' ')) + QString::fromUtf8(node.Info().Title);
    if (node.IsFolder())
      line += QLatin1Char('/');
    else
      line += QStringLiteral(" <") + QString::fromUtf8(node.Info().URL) + QLatin1Char('>');
    lines << line;
  });
  return lines.join(QLatin1Char('\n')).toStdString();
}

std::string Lines(const QStringList &lines) {
  return lines.join(QLatin1Char('\n')).toStdString();
}

TEST(BookmarkImport, ABrowserExportKeepsItsFoldersAndItsCharacters) {
  const QString path =
      qEnvironmentVariable("TEST_SOURCE_DIR") + "/../bookmarks/tests/data/browser-bookmarks.html";
  ASSERT_TRUE(QFile::exists(path));
  TBookmarkOutline tree;
  TBookmarkNode *folder = ImportBookmarkFile(path, tree, nullptr);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(tree.ItemNumber(folder), 1);
  EXPECT_EQ(Outline(tree),
            Lines({
                "Bookmarks/",
                "  Bookmarks Toolbar/",
                "    Local Test Site <http://127.0.0.1:8000/index.html>",
                "    Debian – News & Announcements <https://www.debian.org/News/>",
                "  Reisen & Küche/",
                "    Fahrplan München → Zürich <https://www.bahn.de/?lang=de&from=M%C3%BCnchen>",
                "    日本語のページ/",
                "      NHK ニュース <https://www.nhk.or.jp/>",
                "      東京 — Wikipedia <https://ja.wikipedia.org/wiki/東京>",
                "    Leer/",
                "    Crème brûlée <classic> <https://www.example.org/recipes/crème-brûlée>",
                "  New Document <http://www.w3.org/>",
            }));
  // New records: defaults, folders marked.
  EXPECT_TRUE(tree.Item(2)->IsFolder());
  EXPECT_EQ(tree.Item(3)->Info().Depth, 1);
  EXPECT_EQ(tree.Item(3)->Info().Scheduled, 0);
}

TEST(BookmarkImport, NamesFoldersAndBookmarksThatHaveNoText) {
  TBookmarkOutline tree;
  ImportBookmarkText("<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><p><DT><H3></H3><DL><p>"
                     "<DT><A HREF=\"http://a.example/\">  </A></DL><p></DL><p></DL></DL>",
                     tree, nullptr);
  EXPECT_EQ(Outline(tree), Lines({"New folder/", "  New Folder/", "    New Document <http://a.example/>"}));
}

TEST(BookmarkImport, APlainPageGivesAFlatListOfItsAbsoluteLinks) {
  TBookmarkOutline tree;
  ImportBookmarkText("<html><head><title>Links &amp; more</title></head><body><h3>Heading</h3>"
                     "<a href=\"http://one.example/\">One</a> <a href=\"/relative\">Rel</a>"
                     "<!-- <a href=\"http://hidden.example/\">Hidden</a> -->"
                     "<a href=\"mailto:x@example.org\">Mail</a><dl><h3>Not a folder</h3>"
                     "<A HREF=http://two.example/ >T<b>w</b>o</A></dl></body></html>",
                     tree, nullptr);
  EXPECT_EQ(Outline(tree),
            Lines({"Links & more/", "  One <http://one.example/>", "  Two <http://two.example/>"}));
}

TEST(BookmarkImport, TheProxysOwnPageKeepsItsFoldersAndLeavesItsOwnLinks) {
  // The bookmark page as the proxy writes it: an empty folder has no list after it.
  const QByteArray page =
      "<!doctype quenlark-bookmark>\r\n<HEAD><TITLE>Quenlark Bookmarks</TITLE></HEAD><BODY>\r\n"
      "<A HREF=http://quenlark.invalid/offline?quenlark.invalid/bookmarks><IMG SRC=x></A>"
      "<A HREF=http://news.quenlark.invalid/news.html><IMG SRC=logo></A>"
      "<DL><DL>\r\n"
      "<DT><IMG SRC=http://quenlark.invalid/images/open.gif> <B><FONT SIZE=+1>Empty</FONT></B></DT>"
      "<DT><IMG SRC=http://quenlark.invalid/images/open.gif> <B><FONT "
      "SIZE=+1>Full</FONT></B></DT>\r\n<DL>\r\n"
      "<DT><IMG SRC=x> <A HREF=\"http://site.example/\">Site</A> <A HREF=http://quenlark.invalid/cache?"
      "page=1&url=site.example><IMG SRC=list></A></DT>\r\n</DL>\r\n"
      "<DT><IMG SRC=x> <A HREF=\"http://after.example/\">After</A></DT>\r\n"
      "</DL></DL>\r\n</BODY>";
  TBookmarkOutline tree;
  ImportBookmarkText(page, tree, nullptr);
  EXPECT_EQ(Outline(tree), Lines({"Quenlark Bookmarks/", "  Empty/", "  Full/",
                                  "    Site <http://site.example/>", "  After <http://after.example/>"}));
}

TEST(BookmarkImport, TheImportFolderGoesNextToTheSelectedNode) {
  TBookmarkOutline tree;
  auto folder = std::make_unique<TBMInfo>();
  folder->Folder = 1;
  folder->Title = "Mine";
  TBookmarkNode *mine = tree.Append(nullptr, std::move(folder));
  auto bookmark = std::make_unique<TBMInfo>();
  bookmark->Title = "Kept";
  bookmark->URL = "http://kept/";
  TBookmarkNode *kept = tree.Append(mine, std::move(bookmark));
  ImportBookmarkText("<title>First</title><a href=http://f/>F</a>", tree, kept);
  ImportBookmarkText("<title>Second</title>", tree, mine);
  EXPECT_EQ(Outline(tree),
            Lines({"Mine/", "  Second/", "  First/", "    F <http://f/>", "  Kept <http://kept/>"}));
  EXPECT_EQ(ImportBookmarkFile("/nonexistent/bookmark.htm", tree, nullptr), nullptr);
  EXPECT_EQ(tree.Count(), 5);
}

} // namespace
} // namespace ql
