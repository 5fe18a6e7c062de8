#include "library/runtime/windows/table_list_control.h"

#include "library/runtime/windows/window.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace vx {

// Shows the table's lines. The count it reports is the one last synced, so that lines
// the procedure appends are announced as inserted rows before the view asks for them.
class TableListControl::Model : public QAbstractTableModel {
public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetTable(const std::vector<QString> *table) {
    beginResetModel();
    table_ = table;
    count_ = 0;
    widest_ = 0;
    Measure(table ? int(table->size()) : 0);
    count_ = table ? int(table->size()) : 0;
    endResetModel();
  }

  void Sync() {
    const int now = table_ ? int(table_->size()) : 0;
    if (now > count_) {
      Measure(now);
      beginInsertRows(QModelIndex(), count_, now - 1);
      count_ = now;
      endInsertRows();
    } else if (now < count_) {
      SetTable(table_);
    } else if (count_ > 0) {
      emit dataChanged(index(0, 0), index(count_ - 1, 0));
    }
  }

  // The length of the longest line, in characters.
  int Widest() const { return widest_; }

  int rowCount(const QModelIndex &parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : count_;
  }
  int columnCount(const QModelIndex &parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : 1;
  }

  QVariant data(const QModelIndex &index, int role) const override {
    if (role != Qt::DisplayRole || !table_ || index.row() < 0 || index.row() >= count_ ||
        index.row() >= int(table_->size()))
      return {};
    return (*table_)[std::size_t(index.row())];
  }

private:
  void Measure(int upTo) {
    for (int row = count_; row < upTo; ++row)
      widest_ = std::max(widest_, int((*table_)[std::size_t(row)].size()));
  }

  const std::vector<QString> *table_ = nullptr;
  int count_ = 0;
  int widest_ = 0;
};

TableListControl::TableListControl(Window &window, int number, const QRect &at)
    : Control(window, number, ControlKind::List), view_(new QTableView(window.ClientArea())),
      model_(new Model(view_)) {
  view_->setModel(model_);
  view_->horizontalHeader()->hide();
  view_->verticalHeader()->hide();
  view_->setShowGrid(false);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setTextElideMode(Qt::ElideNone);
  view_->setWordWrap(false);
  view_->setTabKeyNavigation(false);
  view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel); // across the one wide column
  FitRows();
  if (!at.isEmpty())
    view_->setGeometry(window.Units().ToPixels(at));
  view_->show();
  QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, view_, [this] {
    if (!programChange_)
      Post(EventKind::NewSelection);
  });
}

TableListControl::~TableListControl() = default;

QWidget *TableListControl::Widget() const {
  return view_;
}

QString TableListControl::Text() const {
  const QModelIndex current = SelectedIndex();
  return current.isValid() ? current.data().toString() : QString();
}

QModelIndex TableListControl::SelectedIndex() const {
  // The view makes a row current without selecting it when it takes the focus with none
  // current; only a selected row counts.
  const QModelIndex current = view_->currentIndex();
  return current.isValid() && view_->selectionModel()->isSelected(current) ? current : QModelIndex();
}

void TableListControl::SetText(const QString &) {}

void TableListControl::SetTable(const std::vector<QString> *table) {
  ProgramChange guard(programChange_);
  model_->SetTable(table);
  FitColumn();
}

void TableListControl::Sync() {
  ProgramChange guard(programChange_);
  model_->Sync();
  FitColumn();
}

void TableListControl::FitRows() {
  // Every row has the font's height, so the view never measures rows one by one.
  QHeaderView *rows = view_->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(view_->fontMetrics().height() + 2);
  FitColumn();
}

void TableListControl::FitColumn() {
  const int widest = view_->fontMetrics().horizontalAdvance(QString(model_->Widest(), QLatin1Char('M'))) + 8;
  view_->setColumnWidth(0, std::max(widest, view_->viewport()->width()));
}

int TableListControl::RowCount() const {
  return model_->rowCount();
}

int TableListControl::SelectedRow() const {
  const QModelIndex current = SelectedIndex();
  return current.isValid() ? current.row() + 1 : 0;
}

void TableListControl::SetSelectedRow(int row) {
  ProgramChange guard(programChange_);
  if (row < 1 || row > RowCount()) {
    view_->selectionModel()->clear();
    return;
  }
  const QModelIndex index = model_->index(row - 1, 0);
  view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  view_->scrollTo(index);
}

void TableListControl::SetListFont(const QFont &font) {
  view_->setFont(font);
  FitRows();
}

} // namespace vx
