#pragma once

#include "library/runtime/report/page_image.h"
#include "library/runtime/report/report_structure.h"

#include <QFontMetricsF>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace vx {

class PageQueue;

// A report made from its structure:
//
//   Report report(structure);
//   report.Open();
//   report.SetPreviewQueue(&queue);   // optional
//   for each record: report.Print();  // PRINT: one detail band with the bound values
//   report.EndPage();                 // ENDPAGE
//   report.SetPrintPreviewed(answer == print);
//   report.Close();
//
// PRINT starts a page (with its header) when none is open, and starts the next one when
// the band would pass the bottom of the detail area; a band taller than the whole area
// prints alone on its page. Each finished page (with its footer and page number) is kept as
// a page image file in a temporary folder private to the report; with a preview queue
// attached its name is appended to the queue. Close prints the kept pages through
// PrintPageFiles (print_pages.h) when the report has no preview queue, or when the flag was
// set; otherwise it discards them. The folder and its files are removed by Close, and by the
// destructor of a report never closed.
//
// A report whose folder cannot be made, or one of whose pages cannot be kept (the
// temporary folder full or gone), has failed: failure() tells why, PRINT and ENDPAGE do
// nothing more, and Close prints nothing, so an incomplete report is never printed.
//
// Texts are cut, when they are wider than their item, to the whole characters that fit, so
// no text runs into its neighbour; a memo is broken into lines at word boundaries and its
// band grows by the lines it needs beyond its box (items below the box move down, lines
// crossing its bottom get longer).
class Report {
public:
  explicit Report(ReportStructure structure);
  ~Report();
  Report(const Report &) = delete;
  Report &operator=(const Report &) = delete;

  // Opens the report; false when its temporary folder cannot be made (see failure()). The
  // folder is made in the one TMPDIR names (/tmp when it is unset), never elsewhere and
  // never in the file system's root.
  bool Open();
  bool IsOpen() const { return open_; }
  void SetPreviewQueue(PageQueue *queue) { queue_ = queue; }
  void Print();
  void EndPage();
  void SetPrintPreviewed(bool on) { printPreviewed_ = on; }
  // Prints or discards the pages (see above) and closes; true unless the report or its
  // printing failed.
  bool Close();

  int Pages() const { return int(files_.size()); }
  bool failed() const { return !failure_.isEmpty(); }
  // Why the report failed: "the temporary folder <folder> could not be used: <cause>" or
  // "page <n> could not be written to <file>: <error>"; empty while it has not.
  const QString &failure() const { return failure_; }

private:
  struct Placed; // a band laid out at its actual height
  Placed Layout(const ReportBand &band, int pageNumber);
  void Emit(const Placed &band, QPoint origin);
  void StartPage();
  void FinishPage();
  const QFontMetricsF &Metrics(const PageFont &font);
  PageFont FontOf(const ReportItem &item) const;

  ReportStructure s_;
  bool open_ = false;
  std::unique_ptr<QTemporaryDir> folder_;
  PageQueue *queue_ = nullptr;
  bool printPreviewed_ = false;
  QString failure_;
  std::vector<QString> files_;
  std::unique_ptr<PageImage> page_; // the page being filled, when one is
  int y_ = 0;                       // where the next detail band goes
  int bandsOnPage_ = 0;
  std::vector<std::pair<PageFont, std::unique_ptr<QFontMetricsF>>> metrics_;
};

// Cuts `text` to the whole characters that fit in `width` in `metrics`' font.
QString FitText(const QString &text, const QFontMetricsF &metrics, double width);
// Breaks `text` into lines of at most `width` at word boundaries (a word wider than the
// line is cut); line breaks in the text are kept.
QStringList WrapText(const QString &text, const QFont &font, double width);

} // namespace vx
