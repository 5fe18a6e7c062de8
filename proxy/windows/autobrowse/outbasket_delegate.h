#pragma once

#include <QImage>
#include <QStyledItemDelegate>

#include <functional>

namespace ql {

class TBMInfo;

// The marks of an out-basket line: "HOLDAUT" held, "GETAUT" being fetched by the session,
// "OKAUT" waiting.
enum class TOutbasketMark { Held, Fetching, Waiting };

// The mark's 16 x 16 picture. Each is drawn on pure blue, which is its transparent colour.
QImage OutbasketGlyph(TOutbasketMark mark);

// The mark a bookmark shows: held before locked.
TOutbasketMark MarkOf(const TBMInfo &bookmark);

// Draws an out-basket line: its mark 2 pixels right of and 1 pixel below the line's corner,
// then its title 6 pixels right of the mark, in red while the session fetches the bookmark.
// bookmarkOf gives the line's bookmark (null when it is gone: the line shows its title only).
class TOutbasketDelegate : public QStyledItemDelegate {
public:
  TOutbasketDelegate(std::function<TBMInfo *(int row)> bookmarkOf, QObject *parent);

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
  std::function<TBMInfo *(int row)> bookmarkOf_;
};

} // namespace ql
