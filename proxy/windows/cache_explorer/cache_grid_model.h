#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <set>

namespace ql {

class TMimeTable;
class TWatchedCacheList;
struct TCacheItem;

// The Cache Explorer's grid over its view list: data row r (from 0) shows entry r of the list,
// one column per chosen heading. Cell texts are made when a cell is asked for, from the entry
// and the column's heading (CacheGridCellText); nothing is stored per cell. The first column
// of an entry not yet seen is bold.
//
// The row count is fixed when the view is shown (Reset): the entries then, or one blank row
// for none. A row whose entry the cache freed since then shows "This item is no longer
// available" in its first column (when the grid has at least two rows) and blanks elsewhere.
// The view list and the MIME table are not owned and must outlive the model.
class TCacheGridModel : public QAbstractTableModel {
public:
  TCacheGridModel(TWatchedCacheList &view, const TMimeTable &mimes, QObject *parent = nullptr);

  // The headings of the columns, in their order.
  void SetHeadings(const QStringList &headings);
  const QStringList &Headings() const { return headings_; }
  // Takes the view list's present length as the row count and repaints every row.
  void Reset();
  // The entry of a data row, or nullptr.
  TCacheItem *ItemAt(int row) const;
  // Marks a row whose entry was found gone when opened: "This object is no longer in the
  // cache" in its first column, every other cell blank, until the next Reset.
  void MarkGone(int row);
  // Repaints a row whose entry left the view list.
  void RowEmptied(int row);

  // The text of data row `row` (from 1, as under the heading row 0) in column col.
  QString CacheGridCellText(int col, int row) const;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;

private:
  TWatchedCacheList &view_;
  const TMimeTable &mimes_;
  QStringList headings_;
  int rows_ = 1;
  std::set<int> gone_;
};

} // namespace ql
