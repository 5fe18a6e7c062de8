#pragma once

#include "library/runtime/report/page_image.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace vx {

// One item of a report band. Positions are thousandths of an inch relative to the band.
struct ReportItem {
  enum Kind {
    String,     // a fixed text
    Field,      // a bound value shown through its picture
    Memo,       // a bound text in a box of several lines; the band grows when it needs more
    PageNumber, // the page's number shown through a pattern picture
    Box,        // a rectangle with a frame, filled when it has a fill colour
    Line,       // a line from the top left corner by the width and height (one of them 0)
  };
  Kind kind = String;
  QRect at;
  QString text;                   // String: the text; Field, PageNumber: the picture
  std::function<QString()> value; // Field, Memo: the value, read when the band prints
  std::optional<PageFont> font;   // empty: the report's default font
  QColor fill;                    // Box: invalid for no fill
};

// A band: its items, and its height. The page header and footer also have a place on the
// page (`at`, whose width is the band's); the detail band takes the detail area's place.
struct ReportBand {
  QRect at;
  std::vector<ReportItem> items;

  ReportBand &String(const QString &text, const QRect &at, std::optional<PageFont> font = {});
  ReportBand &Field(std::function<QString()> value, const QString &picture, const QRect &at,
                    std::optional<PageFont> font = {});
  ReportBand &Memo(std::function<QString()> value, const QRect &at);
  ReportBand &PageNumber(const QString &picture, const QRect &at, std::optional<PageFont> font = {});
  ReportBand &Box(const QRect &at, QColor fill = {});
  ReportBand &Line(const QRect &at);
};

// A report's structure: the page, the default font, the page header and footer (either
// may be empty), the detail area in which detail bands follow each other down the page,
// and the detail band. Measures are thousandths of an inch from the page's top left
// corner. Field pictures are FORMAT's: "Sw" and "sw" cut the text to w characters, "Nw" a
// number in w positions (drawn right-aligned), and a "p...p" pattern for page numbers.
struct ReportStructure {
  QString name;
  QSize page{8500, 11000}; // US letter
  PageFont font{QStringLiteral("Arial"), 100};
  std::optional<ReportBand> header;
  std::optional<ReportBand> footer;
  QRect detailArea;
  ReportBand detail;
};

} // namespace vx
