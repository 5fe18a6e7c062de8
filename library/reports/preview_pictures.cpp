#include "library/reports/preview_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vx {

namespace {

constexpr int kSize = 32;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A magnifying glass: the lens centred at (13, 13), the handle towards the bottom right.
void DrawGlass(QPainter &painter, bool plus) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(20, 20), QPointF(29, 29));
  painter.setPen(QPen(Qt::black, 2));
  painter.setBrush(QColor(255, 255, 255, 220));
  painter.drawEllipse(QPointF(13, 13), 9, 9);
  if (plus) {
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPointF(9, 13), QPointF(17, 13));
    painter.drawLine(QPointF(13, 9), QPointF(13, 17));
  }
}

} // namespace

QCursor ZoomCursor() {
  QPixmap pixmap = Blank();
  {
    QPainter painter(&pixmap);
    DrawGlass(painter, true);
  }
  return QCursor(pixmap, 13, 13);
}

QIcon ZoomIcon() {
  QPixmap pixmap = Blank();
  {
    QPainter painter(&pixmap);
    DrawGlass(painter, false);
  }
  return QIcon(pixmap);
}

QIcon PrintIcon() {
  QPixmap pixmap = Blank();
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(9, 3, 14, 10)); // the sheet going in
    painter.setBrush(QColor(0x80, 0x80, 0x80));
    painter.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2); // the printer's body
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(9, 20, 14, 9)); // the sheet coming out
    painter.drawLine(QPointF(11, 24), QPointF(21, 24));
  }
  return QIcon(pixmap);
}

QIcon ExitIcon() {
  QPixmap pixmap = Blank();
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    painter.drawRect(QRectF(5, 4, 13, 24)); // a door
    painter.setPen(QPen(QColor(0xA0, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(14, 16), QPointF(28, 16)); // an arrow out of it
    QPainterPath head;
    head.moveTo(23, 11);
    head.lineTo(28, 16);
    head.lineTo(23, 21);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(head);
  }
  return QIcon(pixmap);
}

} // namespace vx
