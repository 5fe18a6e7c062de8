// The HTML layouts read back through an HTML parser: every site of the fixture is a link to
// its location, written under its description, in the main file and on its frame page.

#include "library/exchange/export/export_settings.h"
#include "support/export_fixture.h"

#include <QFileInfo>
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

// The links of an HTML file as the parser reads them: each anchor's target and its text.
QList<Link> LinksOf(const QString &name) {
  QTextDocument document;
  document.setHtml(ReadOutput(name));
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
  ASSERT_EQ(contents.size(), 11);
  for (const Link &page : contents) {
    EXPECT_TRUE(QFileInfo::exists(page.href)) << page.href.toStdString();
    pageLinks += LinksOf(page.href);
  }
  QList<Link> filed = SiteLinks();
  filed.removeFirst(); // the site without a category comes before the first page's title
  pageLinks.removeFirst();
  EXPECT_EQ(pageLinks, filed);
}

} // namespace
} // namespace vx::test
