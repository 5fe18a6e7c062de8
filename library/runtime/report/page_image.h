#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

class QPainter;
class QRectF;

namespace vx {

// A font of a page image: a family, a size in tenths of a point, and its style. A fixed
// font asks for a fixed-pitch face when the family itself is not installed.
struct PageFont {
  QString family;
  int tenths = 100;
  bool bold = false;
  bool italic = false;
  bool fixed = false;
  friend bool operator==(const PageFont &, const PageFont &) = default;
};

// The font that draws `font` at one thousandth of an inch per unit.
QFont QFontOf(const PageFont &font);

// One drawing step of a page image. Coordinates are thousandths of an inch from the top
// left corner of the page.
struct PageOp {
  enum Kind : quint8 { Fill = 1, Frame = 2, Line = 3, Text = 4 };
  Kind kind = Fill;
  QRect rect;      // Fill, Frame, Text: the area; Line: from topLeft to bottomRight
  QRgb colour = 0; // Fill
  int pen = 0;     // Frame, Line: the pen's width in thousandths
  int font = 0;    // Text: index into the page's fonts
  int flags = 0;   // Text: Qt alignment flags
  QString text;    // Text
};

// One printed page kept as vector drawing steps, so that it draws the same on the screen at
// any scale and on paper: a page of a report before it goes to the printer.
//
// Save writes the page to a file of its own format; Load reads it back and refuses any file
// that is not wholly well-formed (a size, count, index or length outside its bounds, or
// bytes left over), so a damaged page file gives an empty result, never a wrong drawing.
class PageImage {
public:
  PageImage() = default;
  explicit PageImage(QSize size) : size_(size) {}

  QSize Size() const { return size_; } // thousandths of an inch
  const std::vector<PageFont> &Fonts() const { return fonts_; }
  const std::vector<PageOp> &Ops() const { return ops_; }

  void AddFill(const QRect &rect, QColor colour);
  void AddFrame(const QRect &rect, int pen);
  void AddLine(const QPoint &from, const QPoint &to, int pen);
  void AddText(const QRect &rect, const PageFont &font, int flags, const QString &text);

  // Draws the page scaled into `target` (in the painter's coordinates), clipped to it. When
  // `exposed` is given, only the steps that reach into it are drawn.
  void Render(QPainter &painter, const QRectF &target, const QRectF &exposed = {}) const;

  QByteArray Serialize() const;
  static std::optional<PageImage> Parse(const QByteArray &bytes);
  // False when the file could not be written whole; `error` then tells why.
  bool Save(const QString &path, QString *error = nullptr) const;
  static std::optional<PageImage> Load(const QString &path);

  // The largest page file Load reads.
  static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

private:
  int FontIndex(const PageFont &font);

  QSize size_;
  std::vector<PageFont> fonts_;
  std::vector<PageOp> ops_;
};

} // namespace vx
