#include "proxy/windows/common/quenlark_picture.h"

#include <QLinearGradient>
#include <QPainter>

namespace ql {

QPixmap QuenlarkPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width();
  const qreal h = size.height();
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(0x0d, 0x2b, 0x52));
  sky.setColorAt(1, QColor(0x1e, 0x6f, 0xa8));
  p.fillRect(pixmap.rect(), sky);

  // Stored pages, fanned out below.
  for (int i = 0; i < 3; ++i) {
    const QRectF page(w * (0.30 + 0.08 * i), h * (0.52 + 0.04 * i), w * 0.28, h * 0.34);
    p.setPen(QPen(QColor(0x90, 0xa4, 0xae), 1));
    p.setBrush(QColor(0xfa, 0xfa, 0xfa));
    p.drawRect(page);
    p.setPen(QPen(QColor(0xb0, 0xbe, 0xc5), 1.5));
    for (int line = 1; line <= 4; ++line) {
      const qreal y = page.top() + page.height() * line / 5.5;
      p.drawLine(QPointF(page.left() + 6, y), QPointF(page.right() - 6, y));
    }
  }

  // The globe.
  const QRectF globe(w * 0.36, h * 0.08, h * 0.46, h * 0.46);
  QRadialGradient sea(globe.center() - QPointF(globe.width() * 0.15, globe.height() * 0.15),
                      globe.width() * 0.6);
  sea.setColorAt(0, QColor(0x81, 0xd4, 0xfa));
  sea.setColorAt(1, QColor(0x02, 0x77, 0xbd));
  p.setPen(QPen(QColor(0xe1, 0xf5, 0xfe), 2));
  p.setBrush(sea);
  p.drawEllipse(globe);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xe1, 0xf5, 0xfe, 160), 1.5));
  p.drawEllipse(globe.adjusted(globe.width() * 0.28, 0, -globe.width() * 0.28, 0));
  p.drawLine(QPointF(globe.left(), globe.center().y()), QPointF(globe.right(), globe.center().y()));
  p.drawArc(globe.adjusted(0, globe.height() * 0.22, 0, -globe.height() * 0.22), 0, 180 * 16);
  return pixmap;
}

} // namespace ql
