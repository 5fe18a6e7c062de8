#include "library/exchange/export/export_writer.h"

#include "library/core/dictionary.h"
#include "library/exchange/export/export_lines.h"
#include "library/exchange/export/export_outputs.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/language/date_time.h"
#include "library/runtime/language/format.h"
#include "library/runtime/language/string_functions.h"

namespace vx {

namespace {

enum SnippetType { ReplaceTitle = 1, BeforeCategory, BeforeCategoryTitle, AfterCategoryTitle, AfterCategory };

QString SnippetTypeText(int type) {
  static const char *const kTypes[] = {"Replace Title", "Before Category", "Before Category Title",
                                       "After Category Title", "After Category"};
  return QLatin1String(kTypes[type - 1]);
}

const QString kBeforeAll = QStringLiteral("_Before All");
const QString kAfterAll = QStringLiteral("_After All");

// Categories compare as the keys compare them, without regard to case.
bool SameCategory(const QString &a, const QString &b) {
  return a == b || UPPER(a) == UPPER(b);
}

// A category's name as page text; sites without one (left so by an earlier import) are
// listed under "No Category".
QString CategoryText(const QString &category) {
  return category.isEmpty() ? QStringLiteral("No Category") : HtmlText(category);
}

QString IndexEntry(int number, const QString &category) {
  return QStringLiteral("<a href=\"#URL%1\">%2</a>").arg(QString::number(number), CategoryText(category));
}

// The description a site is listed under in the HTML layouts, as page text: its own, or its
// location (at most 100 characters) when it has none.
QString ListedDescription(const SiteRecord &site) {
  return HtmlText(site.Description.isBlank() ? CLIP(site.Location.text().left(100))
                                             : site.Description.clipped());
}

} // namespace

ExportWriter::Layout ExportWriter::LayoutOf(const QString &text) {
  const QString type = CLIP(text);
  if (type == QLatin1String("HTML - Simple"))
    return Layout::Simple;
  if (type == QLatin1String("HTML - Table"))
    return Layout::Table;
  if (type == QLatin1String("HTML - Frame"))
    return Layout::Frame;
  if (type == QLatin1String("ASCII"))
    return Layout::Ascii;
  if (type == QLatin1String("Comma-Delimited"))
    return Layout::CommaDelimited;
  return Layout::None;
}

ExportWriter::ExportWriter(const ExportSettings &settings, ExportOutputs &outputs)
    : settings_(settings), outputs_(outputs), layout_(LayoutOf(settings.Type)) {
  if (frame())
    names_.emplace(CLIP(settings.Name));
}

QString ExportWriter::Snippet(const QString &category, int type) {
  CatHtmlFile &file = CatHTML();
  CLEAR(file);
  HTM().HTMLtoAdd.clear();
  HTM().Category = category;
  HTM().TypeOfHTML = SnippetTypeText(type);
  GET(file.KeyCategoryHTML);
  return ERRORCODE() == 0 ? HTM().HTMLtoAdd.clipped() : QString();
}

void ExportWriter::WriteSnippet(const QString &category, int type, bool page) {
  const QString snippet = Snippet(category, type);
  if (snippet.isEmpty())
    return;
  outputs_.Out(snippet);
  if (page)
    outputs_.Side(snippet);
}

void ExportWriter::WriteSpecialSnippets(const QString &category, bool skipTitle) {
  CatHtmlFile &file = CatHTML();
  CLEAR(file);
  HTM().HTMLtoAdd.clear();
  HTM().Category = category;
  SET(file.KeyCategoryHTML, file.KeyCategoryHTML);
  for (NEXT(file); ERRORCODE() == 0 && SameCategory(HTM().Category.clipped(), category); NEXT(file)) {
    if (skipTitle && HTM().TypeOfHTML.text().startsWith(QLatin1String("Replace")))
      continue;
    if (!HTM().HTMLtoAdd.isBlank())
      outputs_.Out(HTM().HTMLtoAdd.clipped());
  }
}

QString ExportWriter::DocumentTitle() const {
  return documentTitle_.isEmpty() ? QStringLiteral("Vornix - Site List") : documentTitle_;
}

QString ExportWriter::Heading(const QString &category) {
  const QString title = Snippet(category, ReplaceTitle);
  return QStringLiteral("<h3><a name=\"URL%1\">%2</a></h3>")
      .arg(QString::number(categoryNumber_), title.isEmpty() ? CategoryText(category) : title);
}

void ExportWriter::WriteHeader() {
  if (!html())
    return;
  documentTitle_ = Snippet(kBeforeAll, ReplaceTitle);
  const QString head =
      QStringLiteral("<html><head><title>") + DocumentTitle() + QStringLiteral("</title></head>");
  if (!frame()) {
    outputs_.Out(head + QStringLiteral("<body>"));
    WriteSpecialSnippets(kBeforeAll, true);
  } else {
    // A browser takes a document for a frame set only when nothing of a body comes before
    // the <frameset>: the body, "_Before All" snippets included, is the <noframes> text.
    outputs_.Out(head);
    outputs_.Out(QStringLiteral("<frameset rows=\"80%,20%\"><frameset cols=\"15%,85%\"><frame src=\"") +
                 AttributeValue(names_->contents()) +
                 QStringLiteral("\" name=\"contents\" marginwidth=\"1\" marginheight=\"1\">"));
    outputs_.Out(QStringLiteral("<frame src=\"") + AttributeValue(names_->firstPage()) +
                 QStringLiteral("\" name=\"main\" marginwidth=\"1\" marginheight=\"1\"></frameset>"));
    outputs_.Out(QStringLiteral("<frame src=\"") + AttributeValue(names_->banner()) +
                 QStringLiteral("\" name=\"banner\" marginwidth=\"1\" marginheight=\"1\"><noframes><body>"));
    WriteSpecialSnippets(kBeforeAll, true);
    page_ = names_->firstPage();
    if (outputs_.Reserve(names_->contents()) && outputs_.Reserve(names_->banner()))
      outputs_.OpenSide(page_);
  }
  outputs_.Out(QStringLiteral("<marquee><center><h3>Site List Generated by Vornix on ") +
               FORMAT(TODAY(), QStringLiteral("d4")) + QStringLiteral("</h3></center></marquee>"));
  outputs_.Out(QStringLiteral("<h6><a href=\"#URLIndex\">Jump to Index</a></h6><hr>"));
}

void ExportWriter::WriteRecord(const SiteRecord &site) {
  switch (layout_) {
  case Layout::Table:
  case Layout::Frame:
    WriteTableRecord(site);
    break;
  case Layout::Simple:
    WriteSimpleRecord(site);
    break;
  case Layout::Ascii:
  case Layout::CommaDelimited:
    WriteTextRecord(site);
    break;
  case Layout::None:
    break;
  }
}

void ExportWriter::BeginTableCategory(const QString &category) {
  if (blockOpen_)
    CloseTableCategory();
  blockOpen_ = true;
  if (frame()) {
    const QString text = CategoryText(category);
    contents_ << QStringLiteral("<tr><td><a href=\"") + AttributeValue(page_) + QStringLiteral("\">") + text +
                     QStringLiteral("</a></td></tr>");
    outputs_.Side(QStringLiteral("<html><head><title>") +
                  (documentTitle_.isEmpty() ? text : documentTitle_ + QStringLiteral(" - ") + text) +
                  QStringLiteral("</title></head><body>"));
  }
  WriteSnippet(category, BeforeCategory, frame());
  outputs_.Out(QStringLiteral("<div align=left><table border=1 width=100%><ul>"));
  outputs_.Out(QStringLiteral("<tr><td align=center colspan=3 width=100%>"));
  WriteSnippet(category, BeforeCategoryTitle, frame());
  ++categoryNumber_;
  previous_ = category;
  const QString heading = Heading(category);
  outputs_.Out(heading);
  if (frame())
    outputs_.Side(heading);
  index_ << IndexEntry(categoryNumber_, category);
  WriteSnippet(category, AfterCategoryTitle, frame());
  outputs_.Out(QStringLiteral("</td></tr>"));
  if (frame())
    outputs_.Side(QStringLiteral("<ul>"));
}

void ExportWriter::WriteTableRecord(const SiteRecord &site) {
  const QString category = site.Category.clipped();
  if (!blockOpen_ || !SameCategory(category, previous_))
    BeginTableCategory(category);
  const QString location = AttributeValue(site.Location.clipped());
  const QString description = ListedDescription(site);
  outputs_.Out(QStringLiteral("<tr><td><li><a href=\"") + location + QStringLiteral("\">") + description +
               QStringLiteral("</a></li></td>"));
  if (frame())
    outputs_.Side(QStringLiteral("<li><a href=\"") + location + QStringLiteral("\">") + description +
                  QStringLiteral("</a></li>"));
  if (settings_.SiteInfo) {
    if (!site.SiteInfo.isBlank()) {
      const QString info = HtmlText(site.SiteInfo.clipped());
      outputs_.Out(QStringLiteral("<td>") + info + QStringLiteral("</td>"));
      if (frame())
        outputs_.Side(info);
    } else {
      outputs_.Out(QStringLiteral("<td>No Description</td>"));
    }
  }
  if (!settings_.Ratings) {
    outputs_.Out(QStringLiteral("</tr>"));
  } else if (site.Rating != 0) {
    const QString rating = QString::number(site.Rating);
    outputs_.Out(QStringLiteral("<td>Rating:  ") + rating + QStringLiteral("</td></tr>"));
    if (frame())
      outputs_.Side(QStringLiteral(" ** Rating:  ") + rating + QStringLiteral("**"));
  } else {
    outputs_.Out(QStringLiteral("<td>No Rating</td></tr>"));
  }
}

// Ends the block in hand with its own "After Category" snippet; a frame export goes on to
// the next category page.
void ExportWriter::CloseTableCategory() {
  outputs_.Out(QStringLiteral("</ul></table></div>"));
  WriteSnippet(previous_, AfterCategory, frame());
  if (!frame())
    return;
  outputs_.Side(QStringLiteral("</ul></body></html>"));
  page_ = names_->page(++pageNumber_);
  outputs_.OpenSide(page_);
}

void ExportWriter::BeginSimpleCategory(const QString &category) {
  if (blockOpen_) {
    outputs_.Out(QStringLiteral("</ul><hr><p align=center>"));
    WriteSnippet(previous_, AfterCategory);
  }
  blockOpen_ = true;
  WriteSnippet(category, BeforeCategory);
  outputs_.Out(QStringLiteral("<ul>"));
  WriteSnippet(category, BeforeCategoryTitle);
  ++categoryNumber_;
  previous_ = category;
  outputs_.Out(Heading(category) + QStringLiteral("</p><p align=left>"));
  index_ << IndexEntry(categoryNumber_, category);
  WriteSnippet(category, AfterCategoryTitle);
}

void ExportWriter::WriteSimpleRecord(const SiteRecord &site) {
  const QString category = site.Category.clipped();
  if (!blockOpen_ || !SameCategory(category, previous_))
    BeginSimpleCategory(category);
  outputs_.Out(QStringLiteral("<li><a href=\"") + AttributeValue(site.Location.clipped()) +
               QStringLiteral("\">") + ListedDescription(site) + QStringLiteral("</a></li>"));
  if (settings_.SiteInfo && !site.SiteInfo.isBlank())
    outputs_.Out(HtmlText(site.SiteInfo.clipped()));
  if (settings_.Ratings && site.Rating != 0)
    outputs_.Out(QStringLiteral(" ** Rating: ") + QString::number(site.Rating) + QStringLiteral(" **"));
}

void ExportWriter::WriteTextRecord(const SiteRecord &site) {
  outputs_.Out(layout_ == Layout::Ascii ? AsciiLine(site, settings_.SiteInfo, settings_.Ratings)
                                        : CommaDelimitedLine(site, settings_.SiteInfo, settings_.Ratings));
}

void ExportWriter::WriteIndex() {
  outputs_.Out(QStringLiteral("<hr>"));
  outputs_.Out(QStringLiteral("<p align=center><a name=\"URLIndex\">"));
  outputs_.Out(QStringLiteral("<h2>Index</h2></a><ul></p><p align=left>"));
  for (const QString &entry : std::as_const(index_))
    outputs_.Out(QStringLiteral("<li>") + entry + QStringLiteral("</li>"));
}

// Opens the contents page, whose links open in the frame set's main frame.
void ExportWriter::OpenContentsPage() {
  outputs_.OpenSide(names_->contents());
  outputs_.Side(
      QStringLiteral("<html><head><title>Table of Contents</title><base target=\"main\"></head><body>"));
}

// The end of the last category page, then the contents page.
void ExportWriter::WriteFramePages() {
  outputs_.Side(QStringLiteral("</ul></body></html>"));
  outputs_.CloseSide();
  OpenContentsPage();
  outputs_.Side(QStringLiteral("<div align=left><table border=1 width=100%>"));
  for (const QString &line : std::as_const(contents_))
    outputs_.Side(line);
  outputs_.Side(QStringLiteral("</table></div>"));
  outputs_.CloseSide();
}

// An export without sites: its place says so, and it is where "Jump to Index" leads. A
// frame export's main page says the same, and its contents page lists nothing, so that
// every page the frame set names is a whole document.
void ExportWriter::WriteNoSites() {
  const QString none = QStringLiteral("There are no sites to show.");
  outputs_.Out(QStringLiteral("<p align=center><a name=\"URLIndex\">") + none + QStringLiteral("</a></p>"));
  if (!frame())
    return;
  outputs_.Side(QStringLiteral("<html><head><title>") + DocumentTitle() +
                QStringLiteral("</title></head><body>"));
  outputs_.Side(QStringLiteral("<p>") + none + QStringLiteral("</p>"));
  outputs_.Side(QStringLiteral("</body></html>"));
  OpenContentsPage();
  outputs_.Side(QStringLiteral("</body></html>"));
  outputs_.CloseSide();
}

void ExportWriter::WriteFooter() {
  if (!html())
    return;
  if (index_.isEmpty()) {
    WriteNoSites();
  } else {
    if (layout_ == Layout::Simple) {
      outputs_.Out(QStringLiteral("</ul>"));
      WriteSnippet(previous_, AfterCategory);
    } else {
      outputs_.Out(QStringLiteral("</ul></table></div>"));
      WriteSnippet(previous_, AfterCategory, frame());
      if (frame())
        WriteFramePages();
    }
    WriteIndex();
    outputs_.Out(QStringLiteral("</ul>"));
  }
  WriteSpecialSnippets(kAfterAll, false);
  outputs_.Out(QStringLiteral("<br><hr>"));
  if (frame()) {
    outputs_.OpenSide(names_->banner());
    outputs_.Side(QStringLiteral("<html><body><base target=\"main\">"));
    outputs_.Side(QStringLiteral("</body></html>"));
    outputs_.CloseSide();
    outputs_.Out(QStringLiteral("</body></noframes>"));
    outputs_.Out(QStringLiteral("</frameset></html>"));
  } else {
    outputs_.Out(QStringLiteral("</body></html>"));
  }
}

} // namespace vx
