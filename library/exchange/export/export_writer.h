#pragma once

#include "library/core/records.h"
#include "library/exchange/export/export_names.h"
#include "library/exchange/export/export_settings.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vx {

class ExportOutputs;

// The lines of one export in the format its settings name: the header, one site after
// another in category order, and the footer, written to the run's outputs. Category blocks
// open with the first site and at each change of category (letter case aside, as the keys
// compare), sites without a category under the heading "No Category", and carry the
// category's HTML snippets from the CatHTML file, which must be open; the "_Before All" and
// "_After All" snippets open and close the document.
//
// HTML layouts: "HTML - Simple", "HTML - Table", and "HTML - Frame", whose main file is a
// frame set with the table layout as the body of its <noframes>, and a page per category
// beside it, with a contents page and a banner page. Text layouts: "ASCII" (fields at their
// full widths) and "Comma-Delimited". Any other type writes nothing. In the HTML layouts the
// sites' and categories' texts are escaped, so that they show as written; the snippets are
// written as they are, being the user's own HTML. An HTML export without sites says so where
// the index would be; a frame export then still writes every page its frame set names, the
// main page saying the same and the contents page listing nothing.
class ExportWriter {
public:
  ExportWriter(const ExportSettings &settings, ExportOutputs &outputs);

  // Whether the settings name one of the five formats.
  bool writes() const { return layout_ != Layout::None; }
  // Whether `type` is one of the five formats.
  static bool Writes(const QString &type) { return LayoutOf(type) != Layout::None; }

  void WriteHeader();
  void WriteRecord(const SiteRecord &site);
  void WriteFooter();

private:
  enum class Layout { None, Simple, Table, Frame, Ascii, CommaDelimited };

  static Layout LayoutOf(const QString &type);

  bool html() const {
    return layout_ == Layout::Simple || layout_ == Layout::Table || layout_ == Layout::Frame;
  }
  bool frame() const { return layout_ == Layout::Frame; }

  void WriteTableRecord(const SiteRecord &site);
  void WriteSimpleRecord(const SiteRecord &site);
  void WriteTextRecord(const SiteRecord &site);
  void BeginTableCategory(const QString &category);
  void BeginSimpleCategory(const QString &category);
  void CloseTableCategory();
  void WriteIndex();
  void OpenContentsPage();
  void WriteFramePages();
  void WriteNoSites();

  // The snippet of `type` (1 Replace Title ... 5 After Category) of `category`; blank when
  // it has none.
  QString Snippet(const QString &category, int type);
  // Writes the snippet to the main output, and to the frame page too when `page`.
  void WriteSnippet(const QString &category, int type, bool page = false);
  // Writes the non-blank snippets of a special category in key order; with `skipTitle`
  // those whose type begins with "Replace" are left out.
  void WriteSpecialSnippets(const QString &category, bool skipTitle);
  QString Heading(const QString &category);
  // The document's title: the "_Before All" Replace Title snippet, else "Vornix - Site List".
  QString DocumentTitle() const;

  const ExportSettings &settings_;
  ExportOutputs &outputs_;
  Layout layout_ = Layout::None;
  std::optional<FrameNames> names_;
  QString documentTitle_; // the "_Before All" Replace Title snippet
  QString previous_;      // the category of the block last begun
  bool blockOpen_ = false;
  int categoryNumber_ = 0; // numbers the anchors URL1, URL2, ...
  int pageNumber_ = 0;     // frame pages closed so far
  QString page_;           // the frame page being written
  QStringList contents_;   // frame: a line a category for the contents page
  QStringList index_;      // HTML: a line a category for the index
};

} // namespace vx
