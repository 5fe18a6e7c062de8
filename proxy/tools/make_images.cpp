// Draws the pictures of the proxy's own pages (bookmark, cache and switch buttons, tree icons,
// file-type icons, pager arrows and the logo) as GIF files, at the sizes the pages write into
// their IMG tags, on the pages' background colour.
//
// Usage: make_images <output folder>. Qt writes no GIF, so the tool has a small encoder of its
// own; every picture is read back through Qt's GIF reader and compared before it counts.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>
#include <functional>

namespace {

const QColor kPage(0xFF, 0xFF, 0xCC); // the pages' BGCOLOR
const QColor kInk(40, 40, 70);

// --- GIF encoding ------------------------------------------------------------------------

void AppendLittle16(QByteArray &out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

// The image data of an 8-bit GIF as uncompressed LZW: every pixel is sent as its own 9-bit
// code, and a clear code is sent before the decoder's table would need 10-bit codes. Larger
// than real compression, but small pictures stay small and every decoder reads it.
QByteArray LiteralLzw(const QImage &indexed) {
  constexpr int kClear = 256, kEnd = 257, kBits = 9, kPerClear = 250;
  QByteArray packed;
  quint32 pending = 0;
  int pendingBits = 0;
  const auto put = [&](int code) {
    pending |= static_cast<quint32>(code) << pendingBits;
    for (pendingBits += kBits; pendingBits >= 8; pendingBits -= 8) {
      packed.append(static_cast<char>(pending & 0xFF));
      pending >>= 8;
    }
  };
  int sinceClear = kPerClear;
  for (int y = 0; y < indexed.height(); ++y) {
    const uchar *row = indexed.constScanLine(y);
    for (int x = 0; x < indexed.width(); ++x) {
      if (sinceClear == kPerClear) {
        put(kClear);
        sinceClear = 0;
      }
      put(row[x]);
      ++sinceClear;
    }
  }
  put(kEnd);
  if (pendingBits > 0)
    packed.append(static_cast<char>(pending & 0xFF));
  return packed;
}

QByteArray Gif(const QImage &picture) {
  const QImage indexed =
      picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  QByteArray out("GIF89a");
  AppendLittle16(out, indexed.width());
  AppendLittle16(out, indexed.height());
  out.append(static_cast<char>(0xF7)); // a global table of 256 colours, 8 bits each
  out.append('\0');                    // background colour index
  out.append('\0');                    // square pixels
  const QList<QRgb> table = indexed.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb colour = i < table.size() ? table[i] : qRgb(0, 0, 0);
    out.append(static_cast<char>(qRed(colour)));
    out.append(static_cast<char>(qGreen(colour)));
    out.append(static_cast<char>(qBlue(colour)));
  }
  out.append(',');
  AppendLittle16(out, 0);
  AppendLittle16(out, 0);
  AppendLittle16(out, indexed.width());
  AppendLittle16(out, indexed.height());
  out.append('\0');   // no local table, not interlaced
  out.append('\x08'); // LZW minimum code size
  const QByteArray data = LiteralLzw(indexed);
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const qsizetype n = std::min<qsizetype>(255, data.size() - at);
    out.append(static_cast<char>(n));
    out.append(data.constData() + at, n);
  }
  out.append('\0');
  out.append(';');
  return out;
}

// --- Drawing -------------------------------------------------------------------------------

using Painting = std::function<void(QPainter &, const QSizeF &)>;

QImage Draw(int width, int height, const Painting &paint) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kPage);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p, QSizeF(width, height));
  return image;
}

void Globe(QPainter &p, const QRectF &box, const QColor &sea, const QColor &land) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(sea);
  p.drawEllipse(box);
  p.setPen(QPen(land, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(box.adjusted(box.width() * 0.3, 0, -box.width() * 0.3, 0));
  p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
}

void Book(QPainter &p, const QRectF &box) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(150, 40, 40));
  p.drawRect(box);
  p.setBrush(Qt::white);
  p.drawRect(box.adjusted(2, 2, -box.width() / 2, -2));
  p.drawRect(box.adjusted(box.width() / 2, 2, -2, -2));
  QPolygonF ribbon;
  const qreal x = box.left() + box.width() * 0.7;
  ribbon << QPointF(x, box.top()) << QPointF(x + 3, box.top()) << QPointF(x + 3, box.bottom() - 2)
         << QPointF(x + 1.5, box.bottom() - 4) << QPointF(x, box.bottom() - 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 180, 30));
  p.drawPolygon(ribbon);
}

void Disks(QPainter &p, const QRectF &box) {
  const qreal h = box.height() / 3;
  for (int i = 2; i >= 0; --i) {
    const QRectF slice(box.left(), box.top() + i * h, box.width(), h);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(70, 110 + 30 * i, 170));
    p.drawRoundedRect(slice, 3, 3);
    p.setBrush(QColor(120, 220, 120));
    p.drawEllipse(QRectF(slice.right() - 5, slice.center().y() - 1.5, 3, 3));
  }
}

// A window frame with a title bar around a picture: the button that opens the desktop window.
void Frame(QPainter &p, const QSizeF &size) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
  p.setBrush(QColor(30, 60, 150));
  p.drawRect(QRectF(0.5, 0.5, size.width() - 1, 5));
}

void Sheet(QPainter &p, const QRectF &box) {
  const qreal fold = box.width() * 0.35;
  QPolygonF page;
  page << box.topLeft() << QPointF(box.right() - fold, box.top()) << QPointF(box.right(), box.top() + fold)
       << box.bottomRight() << box.bottomLeft();
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawPolygon(page);
  p.drawLine(QPointF(box.right() - fold, box.top()), QPointF(box.right() - fold, box.top() + fold));
  p.drawLine(QPointF(box.right() - fold, box.top() + fold), QPointF(box.right(), box.top() + fold));
}

void Lines(QPainter &p, const QRectF &box, int count) {
  p.setPen(QPen(QColor(90, 90, 120), 1));
  for (int i = 0; i < count; ++i) {
    const qreal y = box.top() + (i + 0.5) * box.height() / count;
    p.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
  }
}

void Arrow(QPainter &p, const QSizeF &size, bool forward) {
  QPolygonF arrow;
  const qreal w = size.width(), h = size.height();
  arrow << QPointF(2, h * 0.35) << QPointF(w * 0.55, h * 0.35) << QPointF(w * 0.55, 1.5)
        << QPointF(w - 2, h / 2) << QPointF(w * 0.55, h - 1.5) << QPointF(w * 0.55, h * 0.65)
        << QPointF(2, h * 0.65);
  if (!forward) {
    for (QPointF &point : arrow)
      point.setX(w - point.x());
  }
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(40, 120, 60));
  p.drawPolygon(arrow);
}

struct Picture {
  const char *name;
  int width;
  int height;
  Painting paint;
};

std::vector<Picture> Pictures() {
  const auto globe = [](const QColor &sea, const QColor &land, bool cross) {
    return [=](QPainter &p, const QSizeF &s) {
      Globe(p, QRectF(2.5, 2.5, s.width() - 5, s.height() - 5), sea, land);
      if (cross) {
        p.setPen(QPen(QColor(200, 30, 30), 2.5));
        p.drawLine(QPointF(4, s.height() - 4), QPointF(s.width() - 4, 4));
      }
    };
  };
  const auto sheet = [](const Painting &mark) {
    return [=](QPainter &p, const QSizeF &s) {
      Sheet(p, QRectF(1.5, 0.5, s.width() - 4, s.height() - 1));
      mark(p, s);
    };
  };
  return {
      {"online", 25, 24, globe(QColor(80, 150, 230), QColor(40, 160, 60), false)},
      {"offline", 25, 24, globe(QColor(180, 180, 190), QColor(120, 120, 130), true)},
      {"bookmark", 25, 24, [](QPainter &p, const QSizeF &) { Book(p, QRectF(2.5, 4.5, 20, 15)); }},
      {"gbkmark", 25, 24,
       [](QPainter &p, const QSizeF &s) {
         Frame(p, s);
         Book(p, QRectF(5.5, 8.5, 14, 12));
       }},
      {"cache", 25, 24, [](QPainter &p, const QSizeF &) { Disks(p, QRectF(3.5, 3.5, 18, 17)); }},
      {"gcache", 25, 24,
       [](QPainter &p, const QSizeF &s) {
         Frame(p, s);
         Disks(p, QRectF(5.5, 8.5, 14, 12));
       }},
      {"logo", 78, 24,
       [](QPainter &p, const QSizeF &s) {
         QFont font(QStringLiteral("Sans Serif"));
         font.setPixelSize(15);
         font.setBold(true);
         p.setFont(font);
         p.setPen(QColor(30, 60, 150));
         p.drawText(QRectF(0, 0, s.width(), s.height() - 3), Qt::AlignCenter, QStringLiteral("Quenlark"));
         p.setPen(QPen(QColor(230, 140, 30), 1.5));
         p.drawLine(QPointF(6, s.height() - 3), QPointF(s.width() - 6, s.height() - 3));
       }},
      {"open", 13, 13,
       [](QPainter &p, const QSizeF &) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(QColor(230, 190, 60));
         p.drawRect(QRectF(0.5, 2.5, 10, 9));
         QPolygonF lid;
         lid << QPointF(2.5, 5.5) << QPointF(12.5, 5.5) << QPointF(10.5, 11.5) << QPointF(0.5, 11.5);
         p.setBrush(QColor(250, 220, 110));
         p.drawPolygon(lid);
       }},
      {"leaf", 13, 13, sheet([](QPainter &, const QSizeF &) {})},
      {"auto", 13, 13, sheet([](QPainter &p, const QSizeF &) {
         p.setPen(QPen(QColor(40, 90, 200), 1.5));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(3, 4, 6, 6), 30 * 16, 280 * 16);
       })},
      {"nexttime", 13, 13, sheet([](QPainter &p, const QSizeF &) {
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(210, 30, 30));
         p.drawEllipse(QRectF(3, 5, 6, 6));
       })},
      {"list", 18, 10,
       [](QPainter &p, const QSizeF &) {
         for (int i = 0; i < 3; ++i) {
           p.setPen(Qt::NoPen);
           p.setBrush(QColor(30, 60, 150));
           p.drawRect(QRectF(1, 1 + i * 3, 2, 2));
           p.setPen(QPen(kInk, 1));
           p.drawLine(QPointF(5, 2 + i * 3), QPointF(17, 2 + i * 3));
         }
       }},
      {"text", 24, 24, sheet([](QPainter &p, const QSizeF &) { Lines(p, QRectF(5, 9, 12, 12), 5); })},
      {"image", 24, 24,
       [](QPainter &p, const QSizeF &) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(QColor(150, 200, 240));
         p.drawRect(QRectF(1.5, 3.5, 21, 17));
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(250, 210, 40));
         p.drawEllipse(QRectF(15, 6, 5, 5));
         QPolygonF hills;
         hills << QPointF(2, 20) << QPointF(9, 10) << QPointF(14, 16) << QPointF(17, 13) << QPointF(22, 20);
         p.setBrush(QColor(60, 140, 70));
         p.drawPolygon(hills);
       }},
      {"audio", 24, 24,
       [](QPainter &p, const QSizeF &) {
         p.setPen(QPen(kInk, 1.5));
         p.drawLine(QPointF(9, 17), QPointF(9, 4));
         p.drawLine(QPointF(18, 15), QPointF(18, 2));
         p.setPen(QPen(kInk, 3));
         p.drawLine(QPointF(9, 4), QPointF(18, 2));
         p.setPen(Qt::NoPen);
         p.setBrush(kInk);
         p.drawEllipse(QRectF(3, 15, 7, 5));
         p.drawEllipse(QRectF(12, 13, 7, 5));
       }},
      {"video", 24, 24,
       [](QPainter &p, const QSizeF &) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(QColor(50, 50, 60));
         p.drawRect(QRectF(3.5, 1.5, 17, 21));
         p.setBrush(kPage);
         for (int i = 0; i < 5; ++i) {
           p.drawRect(QRectF(4.5, 2.5 + i * 4, 2, 2));
           p.drawRect(QRectF(17.5, 2.5 + i * 4, 2, 2));
         }
         p.setBrush(QColor(150, 200, 240));
         p.drawRect(QRectF(8.5, 3.5, 7, 7));
         p.drawRect(QRectF(8.5, 12.5, 7, 7));
       }},
      {"other", 24, 24, sheet([](QPainter &p, const QSizeF &) {
         QFont font(QStringLiteral("Sans Serif"));
         font.setPixelSize(13);
         font.setBold(true);
         p.setFont(font);
         p.setPen(QColor(120, 60, 150));
         p.drawText(QRectF(2, 6, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
       })},
      {"backward", 24, 17, [](QPainter &p, const QSizeF &s) { Arrow(p, s, false); }},
      {"forward", 24, 17, [](QPainter &p, const QSizeF &s) { Arrow(p, s, true); }},
  };
}

bool Save(const QString &path, const QImage &picture) {
  const QByteArray gif = Gif(picture);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(gif) != gif.size() ||
      !file.flush())
    return false;
  file.close();
  const QImage expected =
      picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
          .convertToFormat(QImage::Format_RGB32);
  return QImage(path, "GIF").convertToFormat(QImage::Format_RGB32) == expected;
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make_images <output folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  for (const Picture &picture : Pictures()) {
    const QString path = folder.filePath(QString::fromLatin1(picture.name) + QStringLiteral(".gif"));
    if (!Save(path, Draw(picture.width, picture.height, picture.paint))) {
      std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
