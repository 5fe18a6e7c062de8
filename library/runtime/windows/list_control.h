#pragma once

#include "library/runtime/windows/control.h"

#include <QStringList>
#include <vector>

class QFrame;
class QScrollBar;
class QTreeWidget;

namespace vx {

// A list that holds only the page of rows that its procedure gives it. It never scrolls on
// its own: the arrow keys, the wheel, the page keys and the scroll bar post ScrollUp,
// ScrollDown, PageUp, PageDown, ScrollTop and ScrollBottom, and dragging the thumb posts
// ScrollDrag with the thumb's position (0 to 100), so that the procedure reads the records
// and refills the page. A click selects a row and posts NewSelection (with the mouse code in
// Event::key); alerted keys and mouse buttons post AlertKey, and so does any printable
// character typed on the list (Event::ch), for the procedure's locator.
//
// Columns come from a format text: per column a width in dialog units, a justification
// (L, R, C, D), optional flags, a "~heading~" and a "@picture@". A column is shown at least
// as wide as its heading. Format() gives the text back with the widths as the user left them.
class ListControl : public Control {
public:
  ListControl(Window &window, int number, const QRect &at, const QString &format);
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;

  QString Format() const;
  void SetFormat(const QString &format);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  QString Heading(int column) const;

  // Rows are numbered from 1.
  void ClearRows();
  void AppendRow(const QStringList &cells);
  void InsertRow(int row, const QStringList &cells);
  void RemoveRow(int row);
  int RowCount() const;
  QStringList Row(int row) const;
  int SelectedRow() const;
  void SetSelectedRow(int row);
  // How many rows fit in the list as it is now sized.
  int VisibleRows() const;

  // The scroll thumb, 0 to 100 (values above are shown at 100). The scroll bar is hidden
  // until the procedure shows it.
  int Thumb() const { return thumb_; }
  void SetThumb(int position);
  bool ScrollBarShown() const;
  void ShowScrollBar(bool on);

private:
  class Filter;
  struct Column {
    int width = 0; // dialog units
    char justify = 'L';
    QString rest; // the column's format text after width and justification
    QString heading;
  };
  void ApplyColumns();
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString &text);
  void HandleClick(const QPoint &pos, int mouseKey);
  int RowAt(const QPoint &pos) const;
  void AddItem(int index, const QStringList &cells);

  QFrame *frame_;
  QTreeWidget *tree_;
  QScrollBar *bar_;
  std::vector<Column> columns_;
  int thumb_ = 0;
  int rowHeight_ = 16;
};

} // namespace vx
