#include "proxy/windows/autobrowse/outbasket_delegate.h"

#include "proxy/engine/autobrowse/bookmark_info.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace ql {

namespace {

constexpr int kGlyph = 16;

QImage Draw(TOutbasketMark mark) {
  QImage image(kGlyph, kGlyph, QImage::Format_ARGB32);
  image.fill(Qt::blue);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  switch (mark) {
  case TOutbasketMark::Held: {
    // A red stop sign with a white bar.
    p.setPen(QColor(0x80, 0, 0));
    p.setBrush(QColor(0xd0, 0x10, 0x10));
    const QPolygon octagon({{5, 1}, {10, 1}, {14, 5}, {14, 10}, {10, 14}, {5, 14}, {1, 10}, {1, 5}});
    p.drawPolygon(octagon);
    p.fillRect(4, 7, 8, 2, Qt::white);
    break;
  }
  case TOutbasketMark::Fetching: {
    // A green arrow pointing down into a tray.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x90, 0x20));
    p.drawRect(6, 1, 4, 6);
    p.drawPolygon(QPolygon({{2, 7}, {13, 7}, {8, 12}, {7, 12}}));
    p.fillRect(1, 13, 14, 2, QColor(0x40, 0x40, 0x40));
    break;
  }
  case TOutbasketMark::Waiting: {
    // A page with a dark outline and a folded corner.
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
    p.setPen(QColor(0x50, 0x70, 0xc0));
    for (int y = 6; y <= 12; y += 2)
      p.drawLine(5, y, 11, y);
    break;
  }
  }
  p.end();
  const QRgb transparent = QColor(Qt::blue).rgb();
  for (int y = 0; y < kGlyph; ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < kGlyph; ++x) {
      if (line[x] == transparent)
        line[x] = qRgba(0, 0, 0, 0);
    }
  }
  return image;
}

} // namespace

QImage OutbasketGlyph(TOutbasketMark mark) {
  // Images, not pixmaps: they need no platform resources and may outlive the application.
  static const QImage held = Draw(TOutbasketMark::Held);
  static const QImage fetching = Draw(TOutbasketMark::Fetching);
  static const QImage waiting = Draw(TOutbasketMark::Waiting);
  switch (mark) {
  case TOutbasketMark::Held:
    return held;
  case TOutbasketMark::Fetching:
    return fetching;
  case TOutbasketMark::Waiting:
    break;
  }
  return waiting;
}

TOutbasketMark MarkOf(const TBMInfo &bookmark) {
  if (bookmark.Hold)
    return TOutbasketMark::Held;
  return bookmark.Locked ? TOutbasketMark::Fetching : TOutbasketMark::Waiting;
}

TOutbasketDelegate::TOutbasketDelegate(std::function<TBMInfo *(int row)> bookmarkOf, QObject *parent)
    : QStyledItemDelegate(parent), bookmarkOf_(std::move(bookmarkOf)) {}

void TOutbasketDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
  painter->save();
  const bool selected = option.state & QStyle::State_Selected;
  const QPalette &palette = option.palette;
  painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
  const TBMInfo *bookmark = bookmarkOf_(index.row());
  const int textLeft = option.rect.left() + 2 + kGlyph + 6;
  QColor text = selected ? palette.highlightedText().color() : palette.text().color();
  if (bookmark != nullptr) {
    const TOutbasketMark mark = MarkOf(*bookmark);
    painter->drawImage(option.rect.left() + 2, option.rect.top() + 1, OutbasketGlyph(mark));
    if (mark == TOutbasketMark::Fetching)
      text = Qt::red;
  }
  painter->setPen(text);
  const QRect textRect(textLeft, option.rect.top(), option.rect.right() - textLeft, option.rect.height());
  painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
  painter->restore();
}

QSize TOutbasketDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
  const QSize text = QStyledItemDelegate::sizeHint(option, index);
  return {text.width() + 2 + kGlyph + 6, std::max(text.height(), kGlyph + 2)};
}

} // namespace ql
