#pragma once

#include "library/runtime/windows/control.h"

#include <QFont>
#include <QModelIndex>
#include <QString>
#include <vector>

class QTableView;

namespace vx {

// A list of one text column over an in-memory table that the procedure owns (its FROM
// table): unlike ListControl, which shows only the page its procedure reads, it scrolls
// over the whole table by itself, so a table of many thousands of lines scrolls, pages and
// shows any line at once. The table must outlive the control or be detached first; after
// the procedure changes it, Sync() shows the change (lines added at the end show without a
// reset, so the view keeps its place while a long table fills).
//
// Rows are numbered from 1. A row chosen by the user posts NewSelection.
class TableListControl : public Control {
public:
  TableListControl(Window &window, int number, const QRect &at);
  ~TableListControl() override;
  QWidget *Widget() const override;
  QString Text() const override;
  void SetText(const QString &text) override;

  void SetTable(const std::vector<QString> *table);
  void Sync();
  int RowCount() const;
  int SelectedRow() const;
  // Selects the row and scrolls it into view; 0 clears the selection.
  void SetSelectedRow(int row);
  void SetListFont(const QFont &font);

private:
  class Model;
  void FitRows();
  void FitColumn();
  QModelIndex SelectedIndex() const;
  QTableView *view_;
  Model *model_;
};

} // namespace vx
