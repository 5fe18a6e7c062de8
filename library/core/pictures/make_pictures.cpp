// Draws the program's own pictures at build time: the picture VORNIX01.GIF of the splash and
// About windows, and the window icons VORNIX.ICO, VUDODU.ICO and CANADA.ICO.
//
// Usage: make_pictures <output folder>. Qt writes no GIF, so this tool carries a small GIF
// writer; every picture is read back and compared before the tool reports success.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void PutWord(QByteArray &out, int value) {
  out.append(static_cast<char>(value & 0xff));
  out.append(static_cast<char>((value >> 8) & 0xff));
}

// Packs variable-width codes, least significant bit first.
class BitWriter {
public:
  void Put(int code, int width) {
    buffer_ |= static_cast<unsigned>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      bytes_.append(static_cast<char>(buffer_ & 0xff));
      buffer_ >>= 8;
      bits_ -= 8;
    }
  }
  QByteArray Finish() {
    if (bits_ > 0)
      bytes_.append(static_cast<char>(buffer_ & 0xff));
    return bytes_;
  }

private:
  QByteArray bytes_;
  unsigned buffer_ = 0;
  int bits_ = 0;
};

// Encodes an 8-bit indexed image as GIF. The codes are all literals of 9 bits with a clear
// code every 250 of them, so the decoder's table never grows past 9-bit codes: simple and
// always valid, at the cost of size, which does not matter for one small picture.
QByteArray EncodeGif(const QImage &indexed) {
  const int width = indexed.width(), height = indexed.height();
  QByteArray out("GIF89a");
  PutWord(out, width);
  PutWord(out, height);
  out.append(static_cast<char>(0xF7)); // global colour table of 256 entries
  out.append('\0');
  out.append('\0');
  const QList<QRgb> colours = indexed.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb rgb = i < colours.size() ? colours[i] : 0;
    out.append(static_cast<char>(qRed(rgb)));
    out.append(static_cast<char>(qGreen(rgb)));
    out.append(static_cast<char>(qBlue(rgb)));
  }
  out.append(',');
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, width);
  PutWord(out, height);
  out.append('\0');
  out.append('\x08'); // minimum code size
  constexpr int kClear = 256, kEnd = 257, kWidth = 9, kRun = 250;
  BitWriter bits;
  int run = 0;
  for (int y = 0; y < height; ++y) {
    const uchar *line = indexed.constScanLine(y);
    for (int x = 0; x < width; ++x) {
      if (run == 0)
        bits.Put(kClear, kWidth);
      bits.Put(line[x], kWidth);
      run = (run + 1) % kRun;
    }
  }
  bits.Put(kEnd, kWidth);
  const QByteArray data = bits.Finish();
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const QByteArray block = data.mid(at, 255);
    out.append(static_cast<char>(block.size()));
    out.append(block);
  }
  out.append('\0');
  out.append(';');
  return out;
}

// An open book with a bookmark ribbon, the program's emblem.
void DrawBook(QPainter &p, const QRectF &box, const QColor &cover, const QColor &ribbon) {
  const qreal w = box.width(), h = box.height();
  p.setPen(QPen(QColor(40, 40, 60), std::max(1.0, w / 40)));
  p.setBrush(cover);
  p.drawRoundedRect(QRectF(box.left(), box.top() + h * 0.1, w, h * 0.85), w / 16, w / 16);
  p.setBrush(QColor(250, 248, 235));
  p.drawRect(QRectF(box.left() + w * 0.08, box.top() + h * 0.15, w * 0.4, h * 0.72));
  p.drawRect(QRectF(box.left() + w * 0.52, box.top() + h * 0.15, w * 0.4, h * 0.72));
  p.setPen(QPen(QColor(150, 150, 170), std::max(1.0, w / 60)));
  for (int i = 1; i <= 4; ++i) {
    const qreal y = box.top() + h * (0.2 + 0.13 * i);
    p.drawLine(QPointF(box.left() + w * 0.13, y), QPointF(box.left() + w * 0.43, y));
    p.drawLine(QPointF(box.left() + w * 0.57, y), QPointF(box.left() + w * 0.87, y));
  }
  QPainterPath mark;
  const qreal mx = box.left() + w * 0.68, mw = w * 0.12;
  mark.moveTo(mx, box.top());
  mark.lineTo(mx + mw, box.top());
  mark.lineTo(mx + mw, box.top() + h * 0.55);
  mark.lineTo(mx + mw / 2, box.top() + h * 0.45);
  mark.lineTo(mx, box.top() + h * 0.55);
  mark.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(ribbon);
  p.drawPath(mark);
}

QImage Picture() {
  QImage image(320, 180, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 180);
  sky.setColorAt(0, QColor(24, 52, 110));
  sky.setColorAt(1, QColor(70, 130, 190));
  p.fillRect(image.rect(), sky);
  DrawBook(p, QRectF(20, 30, 120, 110), QColor(140, 40, 40), QColor(240, 190, 40));
  p.setPen(Qt::white);
  QFont title(QStringLiteral("Sans Serif"));
  title.setPixelSize(44);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRectF(150, 40, 165, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vornix"));
  QFont line(QStringLiteral("Sans Serif"));
  line.setPixelSize(15);
  p.setFont(line);
  p.drawText(QRectF(152, 100, 165, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Bookmark library"));
  return image;
}

QImage Icon(const QColor &cover, const QColor &ribbon) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  DrawBook(p, QRectF(1, 2, 30, 28), cover, ribbon);
  return image;
}

// A folder with index cards standing in it: the icon of the category form.
QImage FolderIcon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPen outline(QColor(40, 60, 30), 1.2);
  p.setPen(outline);
  p.setBrush(QColor(90, 150, 60));
  QPainterPath back;
  back.moveTo(2, 8);
  back.lineTo(11, 8);
  back.lineTo(14, 5);
  back.lineTo(30, 5);
  back.lineTo(30, 28);
  back.lineTo(2, 28);
  back.closeSubpath();
  p.drawPath(back);
  const QColor cards[] = {QColor(250, 248, 235), QColor(240, 200, 80), QColor(230, 120, 90)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(cards[i]);
    p.drawRect(QRectF(6 + 3 * i, 3 + 3 * i, 18, 14));
  }
  p.setBrush(QColor(120, 180, 80));
  p.drawRect(QRectF(2, 14, 28, 14));
  return image;
}

bool WriteGif(const QString &path, const QImage &picture) {
  const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(EncodeGif(indexed)) < 0 || !file.flush())
    return false;
  file.close();
  const QImage back = QImage(path).convertToFormat(QImage::Format_RGB32);
  return back == indexed.convertToFormat(QImage::Format_RGB32);
}

bool WriteIcon(const QString &path, const QImage &icon) {
  return icon.save(path, "ICO") && !QImage(path).isNull();
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures <output folder>\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  bool ok = WriteGif(out.filePath(QStringLiteral("VORNIX01.GIF")), Picture());
  ok = ok &&
       WriteIcon(out.filePath(QStringLiteral("VORNIX.ICO")), Icon(QColor(140, 40, 40), QColor(240, 190, 40)));
  ok = ok &&
       WriteIcon(out.filePath(QStringLiteral("VUDODU.ICO")), Icon(QColor(40, 90, 140), QColor(230, 80, 60)));
  ok = ok && WriteIcon(out.filePath(QStringLiteral("CANADA.ICO")), FolderIcon());
  if (!ok) {
    std::fprintf(stderr, "make_pictures: could not write the pictures into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
