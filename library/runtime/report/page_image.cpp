#include "library/runtime/report/page_image.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

namespace vx {

namespace {

constexpr char kMagic[8] = {'V', 'X', 'P', 'A', 'G', 'E', '0', '1'};
constexpr int kMaxCoordinate = 1000000; // a thousand inches
constexpr int kMaxFamilyBytes = 256;
constexpr int kMaxTextBytes = 65536;
constexpr int kMaxPen = 10000;
constexpr int kMaxTenths = 10000;

enum FontFlag : quint8 { kBold = 1, kItalic = 2, kFixed = 4 };

class Writer {
public:
  void U8(quint8 v) { bytes_.append(char(v)); }
  void U16(quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    bytes_.append(b, 2);
  }
  void I32(qint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    bytes_.append(b, 4);
  }
  void U32(quint32 v) { I32(qint32(v)); }
  void Rect(const QRect &r) {
    I32(r.x());
    I32(r.y());
    I32(r.width());
    I32(r.height());
  }
  void Text(const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    U32(quint32(utf8.size()));
    bytes_.append(utf8);
  }
  void Raw(const char *data, int size) { bytes_.append(data, size); }
  QByteArray bytes_;
};

// Reads fixed-size values from the bytes; any read past the end makes the reader fail,
// and every later read gives 0.
class Reader {
public:
  explicit Reader(const QByteArray &bytes) : bytes_(bytes) {}
  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  qsizetype Left() const { return bytes_.size() - pos_; }
  bool Take(qsizetype n, const char **data) {
    if (!ok_ || n < 0 || Left() < n) {
      ok_ = false;
      return false;
    }
    *data = bytes_.constData() + pos_;
    pos_ += n;
    return true;
  }
  quint8 U8() {
    const char *d;
    return Take(1, &d) ? quint8(d[0]) : 0;
  }
  quint16 U16() {
    const char *d;
    return Take(2, &d) ? qFromLittleEndian<quint16>(d) : 0;
  }
  qint32 I32() {
    const char *d;
    return Take(4, &d) ? qFromLittleEndian<qint32>(d) : 0;
  }
  quint32 U32() { return quint32(I32()); }
  // A coordinate within the bounds; anything else fails the read.
  int Coordinate(bool allowNegative) {
    const qint32 v = I32();
    if (v > kMaxCoordinate || v < (allowNegative ? -kMaxCoordinate : 0))
      ok_ = false;
    return ok_ ? v : 0;
  }
  QRect Rect() {
    const int x = Coordinate(true);
    const int y = Coordinate(true);
    const int w = Coordinate(false);
    const int h = Coordinate(false);
    return QRect(x, y, w, h);
  }
  QString Text(int maxBytes) {
    const quint32 n = U32();
    const char *d;
    if (n > quint32(maxBytes) || !Take(qsizetype(n), &d))
      return (ok_ = false), QString();
    return QString::fromUtf8(d, qsizetype(n));
  }
  int Bounded(int low, int high) {
    const qint32 v = I32();
    if (v < low || v > high)
      ok_ = false;
    return ok_ ? v : 0;
  }
  void Fail() { ok_ = false; }

private:
  const QByteArray &bytes_;
  qsizetype pos_ = 0;
  bool ok_ = true;
};

constexpr int kAlignmentMask = Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;

} // namespace

QFont QFontOf(const PageFont &font) {
  QFont f(font.family);
  if (font.fixed) {
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
  }
  // A point is 1/72 inch: at a thousandth of an inch per unit, tenths × 1000 / 720 units.
  f.setPixelSize(std::max(1, (font.tenths * 1000 + 360) / 720));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  return f;
}

int PageImage::FontIndex(const PageFont &font) {
  for (std::size_t i = 0; i < fonts_.size(); ++i) {
    if (fonts_[i] == font)
      return int(i);
  }
  fonts_.push_back(font);
  return int(fonts_.size()) - 1;
}

void PageImage::AddFill(const QRect &rect, QColor colour) {
  PageOp op;
  op.kind = PageOp::Fill;
  op.rect = rect;
  op.colour = colour.rgb();
  ops_.push_back(std::move(op));
}

void PageImage::AddFrame(const QRect &rect, int pen) {
  PageOp op;
  op.kind = PageOp::Frame;
  op.rect = rect;
  op.pen = pen;
  ops_.push_back(std::move(op));
}

void PageImage::AddLine(const QPoint &from, const QPoint &to, int pen) {
  PageOp op;
  op.kind = PageOp::Line;
  op.rect = QRect(from, to);
  op.pen = pen;
  ops_.push_back(std::move(op));
}

void PageImage::AddText(const QRect &rect, const PageFont &font, int flags, const QString &text) {
  PageOp op;
  op.kind = PageOp::Text;
  op.rect = rect;
  op.font = FontIndex(font);
  op.flags = flags & kAlignmentMask;
  op.text = text;
  ops_.push_back(std::move(op));
}

void PageImage::Render(QPainter &painter, const QRectF &target, const QRectF &exposed) const {
  if (size_.isEmpty() || target.isEmpty())
    return;
  painter.save();
  painter.setClipRect(target, Qt::IntersectClip);
  painter.translate(target.topLeft());
  const double sx = target.width() / size_.width();
  const double sy = target.height() / size_.height();
  painter.scale(sx, sy);
  // The exposed part in page units, with a margin for pens and glyphs that overhang.
  const QRectF wanted =
      exposed.isEmpty() ? QRectF(QPointF(0, 0), QSizeF(size_))
                        : QRectF((exposed.left() - target.left()) / sx, (exposed.top() - target.top()) / sy,
                                 exposed.width() / sx, exposed.height() / sy)
                              .adjusted(-100, -100, 100, 100);
  std::vector<QFont> fonts;
  fonts.reserve(fonts_.size());
  for (const PageFont &font : fonts_)
    fonts.push_back(QFontOf(font));
  painter.setBrush(Qt::NoBrush);
  for (const PageOp &op : ops_) {
    if (!wanted.intersects(QRectF(op.rect.normalized()).adjusted(-1, -1, 1, 1)))
      continue;
    switch (op.kind) {
    case PageOp::Fill:
      painter.fillRect(op.rect, QColor::fromRgb(op.colour));
      break;
    case PageOp::Frame:
      painter.setPen(QPen(Qt::black, op.pen));
      painter.drawRect(op.rect);
      break;
    case PageOp::Line:
      painter.setPen(QPen(Qt::black, op.pen));
      painter.drawLine(op.rect.topLeft(), op.rect.bottomRight());
      break;
    case PageOp::Text:
      painter.setPen(Qt::black);
      painter.setFont(fonts[std::size_t(op.font)]);
      // The text was fitted when the page was made; the clip keeps a face that draws
      // wider than the one measured inside its own area.
      painter.drawText(QRectF(op.rect), op.flags, op.text);
      break;
    }
  }
  painter.restore();
}

QByteArray PageImage::Serialize() const {
  Writer w;
  w.Raw(kMagic, sizeof kMagic);
  w.I32(size_.width());
  w.I32(size_.height());
  w.U32(quint32(fonts_.size()));
  for (const PageFont &font : fonts_) {
    w.Text(font.family);
    w.I32(font.tenths);
    w.U8(quint8((font.bold ? kBold : 0) | (font.italic ? kItalic : 0) | (font.fixed ? kFixed : 0)));
  }
  w.U32(quint32(ops_.size()));
  for (const PageOp &op : ops_) {
    w.U8(op.kind);
    switch (op.kind) {
    case PageOp::Fill:
      w.Rect(op.rect);
      w.U32(op.colour);
      break;
    case PageOp::Frame:
      w.Rect(op.rect);
      w.I32(op.pen);
      break;
    case PageOp::Line:
      w.I32(op.rect.left());
      w.I32(op.rect.top());
      w.I32(op.rect.right());
      w.I32(op.rect.bottom());
      w.I32(op.pen);
      break;
    case PageOp::Text:
      w.Rect(op.rect);
      w.U16(quint16(op.font));
      w.U16(quint16(op.flags));
      w.Text(op.text);
      break;
    }
  }
  return w.bytes_;
}

std::optional<PageImage> PageImage::Parse(const QByteArray &bytes) {
  Reader r(bytes);
  const char *magic;
  if (!r.Take(sizeof kMagic, &magic) || memcmp(magic, kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  const int width = r.Bounded(1, kMaxCoordinate);
  const int height = r.Bounded(1, kMaxCoordinate);
  PageImage page(QSize(width, height));
  // Every font and step takes at least 9 bytes, so a count beyond what is left is false.
  const quint32 fontCount = r.U32();
  if (fontCount > quint32(r.Left() / 9))
    return std::nullopt;
  for (quint32 i = 0; i < fontCount && r.Ok(); ++i) {
    PageFont font;
    font.family = r.Text(kMaxFamilyBytes);
    font.tenths = r.Bounded(1, kMaxTenths);
    const quint8 flags = r.U8();
    if (flags & ~(kBold | kItalic | kFixed))
      r.Fail();
    font.bold = flags & kBold;
    font.italic = flags & kItalic;
    font.fixed = flags & kFixed;
    page.fonts_.push_back(std::move(font));
  }
  const quint32 opCount = r.U32();
  if (!r.Ok() || opCount > quint32(r.Left() / 9))
    return std::nullopt;
  page.ops_.reserve(opCount);
  for (quint32 i = 0; i < opCount && r.Ok(); ++i) {
    PageOp op;
    const quint8 kind = r.U8();
    switch (kind) {
    case PageOp::Fill:
      op.rect = r.Rect();
      op.colour = r.U32();
      break;
    case PageOp::Frame:
      op.rect = r.Rect();
      op.pen = r.Bounded(0, kMaxPen);
      break;
    case PageOp::Line: {
      const int x1 = r.Coordinate(true), y1 = r.Coordinate(true);
      const int x2 = r.Coordinate(true), y2 = r.Coordinate(true);
      op.rect = QRect(QPoint(x1, y1), QPoint(x2, y2));
      op.pen = r.Bounded(0, kMaxPen);
      break;
    }
    case PageOp::Text:
      op.rect = r.Rect();
      op.font = r.U16();
      op.flags = r.U16();
      if (op.font >= int(page.fonts_.size()) || (op.flags & ~kAlignmentMask))
        r.Fail();
      op.text = r.Text(kMaxTextBytes);
      break;
    default:
      r.Fail();
      break;
    }
    op.kind = PageOp::Kind(kind);
    page.ops_.push_back(std::move(op));
  }
  if (!r.Ok() || !r.AtEnd())
    return std::nullopt;
  return page;
}

bool PageImage::Save(const QString &path, QString *error) const {
  // Page files are scratch copies that live only as long as their report, in a folder of
  // the report's own: they are written plainly, without a sync, since a crash loses the
  // report that would have read them anyway.
  QFile file(path);
  const QByteArray bytes = Serialize();
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
      file.flush())
    return true;
  if (error)
    *error = file.errorString();
  return false;
}

std::optional<PageImage> PageImage::Load(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
    return std::nullopt;
  const QByteArray bytes = file.read(kMaxFileBytes + 1);
  if (bytes.size() > kMaxFileBytes)
    return std::nullopt;
  return Parse(bytes);
}

} // namespace vx
