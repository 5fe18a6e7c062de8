#include "proxy/windows/control_bar/control_bar_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ql {

namespace {

constexpr int kSize = 20;

void DrawGlobe(QPainter &p, const QColor &color) {
  p.setPen(QPen(color.darker(160), 1.2));
  p.setBrush(color);
  p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(6.5, 2.5, 7, 15));
  p.drawLine(QPointF(2.5, 10), QPointF(17.5, 10));
}

void Draw(QPainter &p, TGlyph glyph) {
  switch (glyph) {
  case TGlyph::OnLine:
    DrawGlobe(p, QColor(0x4c, 0xaf, 0x50));
    break;
  case TGlyph::OffLine: {
    DrawGlobe(p, QColor(0xb0, 0xb0, 0xb0));
    p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 2.2));
    p.drawLine(QPointF(4, 16), QPointF(16, 4));
    break;
  }
  case TGlyph::Bookmarks:
    p.setPen(QPen(QColor(0x6d, 0x3b, 0x12), 1));
    p.setBrush(QColor(0xc0, 0x6a, 0x2b));
    p.drawRect(QRectF(4.5, 2.5, 11, 15));
    p.setBrush(QColor(0xf5, 0xe6, 0xc8));
    p.drawRect(QRectF(6.5, 4.5, 7, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd3, 0x2f, 0x2f));
    p.drawPolygon(
        QPolygonF({QPointF(11, 2), QPointF(14, 2), QPointF(14, 10), QPointF(12.5, 8.5), QPointF(11, 10)}));
    break;
  case TGlyph::CacheExplorer:
    p.setPen(QPen(QColor(0x5d, 0x40, 0x37), 1));
    p.setBrush(QColor(0xe0, 0xb0, 0x50));
    p.drawRect(QRectF(2.5, 5.5, 15, 12));
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawRect(QRectF(5.5, 2.5, 9, 6));
    p.drawLine(QPointF(8, 12), QPointF(12, 12));
    break;
  case TGlyph::Autobrowse: {
    p.setPen(QPen(QColor(0x15, 0x65, 0xc0), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 12, 12), 30 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x15, 0x65, 0xc0));
    p.drawPolygon(QPolygonF({QPointF(12, 1.5), QPointF(17.5, 5), QPointF(12, 8.5)}));
    break;
  }
  case TGlyph::StartBrowser:
    DrawGlobe(p, QColor(0x42, 0x8b, 0xe0));
    break;
  case TGlyph::Help: {
    p.setPen(QPen(QColor(0x15, 0x65, 0xc0), 1.2));
    p.setBrush(QColor(0xe3, 0xf2, 0xfd));
    p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
    QPainterPath mark;
    mark.moveTo(7.5, 8);
    mark.cubicTo(7.5, 4.5, 12.5, 4.5, 12.5, 7.5);
    mark.cubicTo(12.5, 9.5, 10, 9.5, 10, 12);
    p.setPen(QPen(QColor(0x15, 0x65, 0xc0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.drawPoint(QPointF(10, 15));
    break;
  }
  case TGlyph::LockFocused:
  case TGlyph::LockNotFocused: {
    const QColor color = glyph == TGlyph::LockFocused ? QColor(0xd3, 0x2f, 0x2f) : QColor(0x90, 0x90, 0x90);
    p.setPen(QPen(color.darker(150), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(5.5, 2.5, 9, 9));
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.6));
    p.drawLine(QPointF(10, 11.5), QPointF(10, 18));
    break;
  }
  }
}

QPixmap Picture(TGlyph glyph) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, glyph);
  return pixmap;
}

} // namespace

QIcon Glyph(TGlyph glyph) {
  return QIcon(Picture(glyph));
}

QIcon OnOffGlyph() {
  QIcon icon;
  icon.addPixmap(Picture(TGlyph::OffLine), QIcon::Normal, QIcon::Off);
  icon.addPixmap(Picture(TGlyph::OnLine), QIcon::Normal, QIcon::On);
  return icon;
}

} // namespace ql
