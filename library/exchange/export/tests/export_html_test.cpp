// The HTML layouts read back through an HTML parser: every site of the fixture is a link to
// its location, written under its description, in the main file and on its frame page.

#include "library/core/dictionary.h"
#include "library/exchange/export/export_settings.h"
#include "library/runtime/data/error_state.h"
#include "support/export_fixture.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

struct Link {
  QString href, text;
  bool operator==(const Link &) const = default;
};

void PrintTo(const Link &link, std::ostream *out) {
  *out << link.href.toStdString() << " -> " << link.text.toStdString();
}

// The HTML of a file that a browser without frames shows: of a frame set, its <noframes>
// part, which the parser would not read within the frame set.
QString BodyOf(const QString &name) {
  const QString html = ReadOutput(name);
  const qsizetype from = html.indexOf("<noframes>");
  if (from < 0)
    return html;
  return html.mid(from + 10, html.indexOf("</noframes>") - from - 10);
}

// The links of an HTML file as the parser reads them: each anchor's target and its text.
QList<Link> LinksOf(const QString &name) {
  QTextDocument document;
  document.setHtml(BodyOf(name));
  QList<Link> links;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    QString href;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      if (format.isAnchor() && !format.anchorHref().isEmpty()) {
        if (href == format.anchorHref())
          links.back().text += fragment.text();
        else
          links.append({format.anchorHref(), fragment.text()});
        href = format.anchorHref();
      } else {
        href.clear();
      }
    }
  }
  return links;
}

QList<Link> SiteLinks() {
  QList<Link> links;
  for (const FixtureSite &site : FixtureSites())
    links.append({site.location, site.description.isEmpty() ? site.location : site.description});
  return links;
}

QList<Link> Without(QList<Link> links, const QString &prefix) {
  links.removeIf([&](const Link &link) { return link.href.startsWith(prefix); });
  return links;
}

// The first fault in how the elements of an HTML text nest: an end tag that closes no
// element, or closes another than the one opened last, or an element left open at the end;
// blank when there is none. Void elements stand alone; comments are left out.
QString NestingFault(QString html) {
  static const QRegularExpression comment("<!--.*?-->", QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression tag("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>");
  static const QStringList kVoid = {"base", "br", "frame", "hr", "img", "link", "meta"};
  html.remove(comment);
  QStringList open;
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    const QString name = match.captured(2).toLower();
    if (kVoid.contains(name))
      continue;
    if (match.captured(1).isEmpty())
      open.append(name);
    else if (open.isEmpty() || open.takeLast() != name)
      return "</" + name + "> at " + QString::number(match.capturedStart());
  }
  return open.isEmpty() ? QString() : "<" + open.join("><") + "> left open";
}

// The pages a frame set names in its <frame> elements.
QStringList FramePages(const QString &name) {
  static const QRegularExpression frame("<frame src=\"([^\"]*)\"");
  QStringList pages;
  for (auto it = frame.globalMatch(ReadOutput(name)); it.hasNext();)
    pages << it.next().captured(1);
  return pages;
}

// Whether the file is one whole HTML document: it exists, opens with <html> and ends with
// </html>, and its elements nest.
::testing::AssertionResult WholeDocument(const QString &name) {
  if (!QFileInfo::exists(name))
    return ::testing::AssertionFailure() << name.toStdString() << " is missing";
  const QString html = ReadOutput(name).trimmed();
  if (!html.startsWith("<html>") || !html.endsWith("</html>"))
    return ::testing::AssertionFailure() << name.toStdString() << " is not a whole document:\n"
                                         << html.toStdString();
  if (const QString fault = NestingFault(html); !fault.isEmpty())
    return ::testing::AssertionFailure() << name.toStdString() << ": " << fault.toStdString();
  return ::testing::AssertionSuccess();
}

class ExportHtmlTest : public LibraryTest {
protected:
  ExportHtmlTest() {
    TakeAll();
    FillExportFixture();
  }
};

TEST_F(ExportHtmlTest, SimpleLayoutLinksEverySiteUnderItsDescription) {
  ASSERT_EQ(RunExport(AllOf("HTML - Simple", "sites.htm")), 1);
  const QList<Link> links = LinksOf("sites.htm");
  EXPECT_EQ(Without(links, "#"), SiteLinks());
  EXPECT_EQ(links.first(), (Link{"#URLIndex", "Jump to Index"}));
}

TEST_F(ExportHtmlTest, FrameLayoutLinksEverySiteInTheMainFileAndOnItsPage) {
  ASSERT_EQ(RunExport(AllOf("HTML - Frame", "sites.htm")), 1);
  EXPECT_EQ(Without(LinksOf("sites.htm"), "#"), SiteLinks());

  // The contents page leads to every category page, and the pages together hold every site.
  QList<Link> pageLinks;
  const QList<Link> contents = LinksOf("sites_c.htm");
  ASSERT_EQ(contents.size(), 12);
  EXPECT_EQ(FramePages("sites.htm"), QStringList({"sites_c.htm", "sites_m.htm", "sites_b.htm"}));
  for (const QString &page : FramePages("sites.htm"))
    EXPECT_TRUE(ReadOutput(page).startsWith("<html>")) << page.toStdString();
  for (const Link &page : contents) {
    EXPECT_TRUE(QFileInfo::exists(page.href)) << page.href.toStdString();
    pageLinks += LinksOf(page.href);
  }
  EXPECT_EQ(pageLinks, SiteLinks());
}

// A category that no site has, exported in each HTML layout: the document says that there
// are no sites to show, where "Jump to Index" leads, and every element in it nests. A frame
// export writes each page its frame set names as a whole document: the main page says the
// same, the contents page lists nothing.
TEST_F(ExportHtmlTest, AnExportWithoutSitesIsAWholeDocumentInEveryLayout) {
  const QString none = "There are no sites to show.";
  for (const char *type : {"HTML - Simple", "HTML - Table", "HTML - Frame"}) {
    SCOPED_TRACE(type);
    ExportSettings settings = AllOf(type, "empty.htm");
    settings.Categories = "Selected";
    settings.Category = "Nowhere";
    ASSERT_EQ(RunExport(settings), 1);
    EXPECT_TRUE(WholeDocument("empty.htm"));
    QTextDocument shown;
    shown.setHtml(BodyOf("empty.htm"));
    EXPECT_TRUE(shown.toPlainText().contains(none)) << shown.toPlainText().toStdString();
    EXPECT_TRUE(ReadOutput("empty.htm").contains("<a name=\"URLIndex\">" + none));
    if (QString(type) != "HTML - Frame")
      continue;
    EXPECT_EQ(FramePages("empty.htm"), QStringList({"empty_c.htm", "empty_m.htm", "empty_b.htm"}));
    for (const QString &page : FramePages("empty.htm"))
      EXPECT_TRUE(WholeDocument(page));
    EXPECT_TRUE(ReadOutput("empty_m.htm").contains("<title>My Links</title>"));
    EXPECT_TRUE(ReadOutput("empty_m.htm").contains(none));
    EXPECT_TRUE(LinksOf("empty_c.htm").isEmpty());
    EXPECT_EQ(OutputFiles(), "empty.htm empty_b.htm empty_c.htm empty_m.htm");
  }
}

// A browser shows a frame set only when nothing of a body comes before the <frameset>: no
// <body> tag and no text or element of a body. The body, with the "_Before All" snippet,
// belongs inside <noframes>.
TEST_F(ExportHtmlTest, FrameSetComesBeforeAnyBody) {
  ASSERT_EQ(RunExport(AllOf("HTML - Frame", "sites.htm")), 1);
  const QString main = ReadOutput("sites.htm");
  const qsizetype frameset = main.indexOf("<frameset");
  ASSERT_GT(frameset, 0);
  QString before = main.left(frameset);
  static const QRegularExpression headTags("</?(html|head)>|<title>[^<]*</title>");
  before.remove(headTags);
  EXPECT_TRUE(before.trimmed().isEmpty()) << before.toStdString();
  const qsizetype noframes = main.indexOf("<noframes>");
  const qsizetype body = main.indexOf("<body>");
  EXPECT_GT(body, noframes);
  EXPECT_LT(body, main.indexOf("</noframes>"));
  EXPECT_GT(main.indexOf("<p>Welcome</p>"), noframes);
  EXPECT_TRUE(main.trimmed().endsWith("</frameset></html>"));
}

// The texts of sites and categories show as written in every HTML layout, on the frame
// pages too: none of them becomes markup. Snippets stay the user's own HTML.
TEST_F(ExportHtmlTest, TextsOfSitesAndCategoriesShowAsWritten) {
  const QString category = "<img src=x onerror=alert(1)>";
  const QString description = "C++ <templates> guide";
  const QString info = "<b> is for bold & strong";
  const QString location = "http://bold.example/?tag=<u>x</u>"; // shown for want of a description
  ASSERT_EQ(AddSite("http://tpl.example/?a=1&b=2", description, category, 4), 0);
  CLEAR(VORNIX());
  URL().Location = location;
  URL().Category = category;
  URL().SiteInfo = info;
  ADD(VORNIX());
  ASSERT_EQ(ERRORCODE(), 0);
  for (const char *type : {"HTML - Simple", "HTML - Table", "HTML - Frame"}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(RunExport(AllOf(type, "texts.htm")), 1);
    QStringList pages = {"texts.htm"};
    if (QString(type) == "HTML - Frame")
      pages = {"texts_c.htm", "texts_m.htm", "texts_1.htm", "texts.htm"};
    QString shown;
    for (const QString &page : pages) {
      QTextDocument document;
      document.setHtml(BodyOf(page));
      shown += document.toPlainText();
      EXPECT_FALSE(ReadOutput(page).contains("<img src=x")) << page.toStdString();
      EXPECT_FALSE(ReadOutput(page).contains("<b> is")) << page.toStdString();
      EXPECT_FALSE(ReadOutput(page).contains(">x</u>")) << page.toStdString();
    }
    EXPECT_TRUE(shown.contains(category)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(description));
    EXPECT_TRUE(shown.contains(info));
    EXPECT_TRUE(shown.contains(location));
    EXPECT_TRUE(LinksOf("texts.htm").contains(Link{"http://tpl.example/?a=1&b=2", description}));
    EXPECT_TRUE(ReadOutput("texts.htm").contains("<i>Daily News</i>")); // a snippet as it is
  }
}

// A site that an earlier import left without a category is listed inside the document,
// under a heading "No Category" of its own with its index entry, in every HTML layout; a
// frame export gives it a page that is a whole document and an entry in the contents frame.
TEST_F(ExportHtmlTest, SitesWithoutACategoryGetAHeadingInsideTheDocument) {
  const QString heading = "<h3><a name=\"URL1\">No Category</a></h3>";
  const QString link = "<a href=\"http://loose.example/\">Filed nowhere</a>";
  for (const char *type : {"HTML - Simple", "HTML - Table", "HTML - Frame"}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(RunExport(AllOf(type, "loose.htm")), 1);
    const QString main = ReadOutput("loose.htm");
    EXPECT_TRUE(main.startsWith("<html>")) << main.left(200).toStdString();
    EXPECT_LT(main.indexOf("<body>"), main.indexOf(heading));
    EXPECT_LT(main.indexOf(heading), main.indexOf(link));
    EXPECT_TRUE(main.contains("<li><a href=\"#URL1\">No Category</a></li>"));
    if (QString(type) != "HTML - Frame")
      continue;
    for (const QString &page : QString::fromStdString(OutputFiles()).split(u' ')) {
      if (page.startsWith("loose")) {
        EXPECT_TRUE(ReadOutput(page).startsWith("<html>")) << page.toStdString();
      }
    }
    const QString first = ReadOutput("loose_m.htm");
    EXPECT_LT(first.indexOf(heading), first.indexOf(link));
    EXPECT_TRUE(ReadOutput("loose_c.htm").contains("<a href=\"loose_m.htm\">No Category</a>"));
  }
}

} // namespace
} // namespace vx::test
