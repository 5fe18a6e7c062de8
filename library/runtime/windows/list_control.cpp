#include "library/runtime/windows/list_control.h"

#include "library/runtime/windows/window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QWheelEvent>

namespace vx {

namespace {

// Gives every row the same fixed height, so that the number of visible rows is known before
// the first row is there.
class RowDelegate : public QStyledItemDelegate {
public:
  RowDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), height_);
  }

private:
  int height_;
};

Qt::Alignment AlignmentOf(char justify) {
  switch (justify) {
  case 'R':
  case 'D':
    return Qt::AlignRight | Qt::AlignVCenter;
  case 'C':
    return Qt::AlignHCenter | Qt::AlignVCenter;
  default:
    return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

} // namespace

class ListControl::Filter : public QObject {
public:
  explicit Filter(ListControl &list) : QObject(list.frame_), list_(list) {}

protected:
  bool eventFilter(QObject *, QEvent *event) override {
    switch (event->type()) {
    case QEvent::KeyPress: {
      auto *key = static_cast<QKeyEvent *>(event);
      return list_.HandleKey(key->key(), key->modifiers(), key->text());
    }
    case QEvent::MouseButtonPress: {
      auto *mouse = static_cast<QMouseEvent *>(event);
      if (mouse->button() == Qt::LeftButton)
        list_.HandleClick(mouse->position().toPoint(), KEY_MOUSE_LEFT);
      else if (mouse->button() == Qt::RightButton)
        list_.HandleClick(mouse->position().toPoint(), KEY_MOUSE_RIGHT);
      return true;
    }
    case QEvent::MouseButtonDblClick: {
      auto *mouse = static_cast<QMouseEvent *>(event);
      if (mouse->button() == Qt::LeftButton && list_.IsAlerted(KEY_MOUSE_LEFT2))
        list_.Post(EventKind::AlertKey, KEY_MOUSE_LEFT2);
      return true;
    }
    case QEvent::Wheel: {
      const int dy = static_cast<QWheelEvent *>(event)->angleDelta().y();
      const int notches = std::max(1, std::abs(dy) / 120);
      for (int i = 0; i < notches && dy != 0; ++i)
        list_.Post(dy > 0 ? EventKind::ScrollUp : EventKind::ScrollDown);
      return true;
    }
    default:
      return false;
    }
  }

private:
  ListControl &list_;
};

ListControl::ListControl(Window &window, int number, const QRect &at, const QString &format)
    : Control(window, number, ControlKind::List), frame_(new QFrame(window.ClientArea())),
      tree_(new QTreeWidget(frame_)), bar_(new QScrollBar(Qt::Vertical, frame_)) {
  auto *layout = new QHBoxLayout(frame_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tree_);
  layout->addWidget(bar_);
  rowHeight_ = tree_->fontMetrics().height() + 4;
  tree_->setItemDelegate(new RowDelegate(rowHeight_, tree_));
  tree_->setRootIsDecorated(false);
  tree_->setUniformRowHeights(true);
  tree_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->header()->setStretchLastSection(false);
  frame_->setFocusProxy(tree_);
  bar_->hide(); // until the procedure finds the list full
  bar_->setRange(0, 100);
  bar_->setPageStep(10);

  auto *filter = new Filter(*this);
  tree_->installEventFilter(filter);
  tree_->viewport()->installEventFilter(filter);

  QObject::connect(bar_, &QScrollBar::actionTriggered, bar_, [this](int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      Post(EventKind::ScrollUp);
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      Post(EventKind::ScrollDown);
      break;
    case QAbstractSlider::SliderPageStepSub:
      Post(EventKind::PageUp);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      Post(EventKind::PageDown);
      break;
    case QAbstractSlider::SliderToMinimum:
      Post(EventKind::ScrollTop);
      break;
    case QAbstractSlider::SliderToMaximum:
      Post(EventKind::ScrollBottom);
      break;
    default:
      return; // a drag moves the thumb freely until it is released
    }
    bar_->setSliderPosition(std::min(thumb_, 100));
  });
  QObject::connect(bar_, &QScrollBar::sliderReleased, bar_, [this] {
    Event event{EventKind::ScrollDrag, Number()};
    event.thumb = bar_->sliderPosition();
    thumb_ = event.thumb;
    Owner().Post(event);
  });
  QObject::connect(tree_->header(), &QHeaderView::sectionResized, tree_, [this](int column, int, int size) {
    if (!programChange_ && column < ColumnCount())
      columns_[column].width = Owner().Units().ToUnitsX(size);
  });

  if (!at.isEmpty())
    frame_->setGeometry(window.Units().ToPixels(at));
  frame_->show();
  SetFormat(format);
}

QWidget *ListControl::Widget() const {
  return frame_;
}

QString ListControl::Text() const {
  const QStringList row = Row(SelectedRow());
  return row.isEmpty() ? QString() : row.front();
}

void ListControl::SetText(const QString &) {}

QString ListControl::Format() const {
  QString text;
  for (const Column &column : columns_)
    text += QString::number(column.width) + QLatin1Char(column.justify) + column.rest;
  return text;
}

void ListControl::SetFormat(const QString &format) {
  // width, justification, then everything up to and including the column's picture
  static const QRegularExpression columnPattern(QStringLiteral("(\\d+)([LRCD])([^@]*@[^@]*@)"));
  static const QRegularExpression headingPattern(QStringLiteral("~([^~]*)~"));
  std::vector<Column> columns;
  for (auto it = columnPattern.globalMatch(format); it.hasNext();) {
    const auto match = it.next();
    Column column;
    column.width = match.captured(1).toInt();
    column.justify = match.captured(2).at(0).toLatin1();
    column.rest = match.captured(3);
    column.heading = headingPattern.match(column.rest).captured(1);
    columns.push_back(column);
  }
  if (columns.empty())
    return; // a format text that names no column leaves the list as it was
  columns_ = std::move(columns);
  ApplyColumns();
}

QString ListControl::Heading(int column) const {
  return column >= 1 && column <= ColumnCount() ? columns_[column - 1].heading : QString();
}

void ListControl::ApplyColumns() {
  ProgramChange guard(programChange_);
  QStringList headings;
  for (const Column &column : columns_)
    headings << column.heading;
  tree_->setColumnCount(ColumnCount());
  tree_->setHeaderLabels(headings);
  // A column is never shown narrower than its heading; the format keeps its own width.
  QHeaderView *header = tree_->header();
  const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 2;
  for (int i = 0; i < ColumnCount(); ++i) {
    const int heading = header->fontMetrics().horizontalAdvance(columns_[i].heading) + margins;
    tree_->setColumnWidth(i, std::max(Owner().Units().ToPixelsX(columns_[i].width), heading));
    tree_->headerItem()->setTextAlignment(i, AlignmentOf(columns_[i].justify));
  }
}

void ListControl::ClearRows() {
  ProgramChange guard(programChange_);
  tree_->clear();
}

void ListControl::AddItem(int index, const QStringList &cells) {
  auto *item = new QTreeWidgetItem(cells);
  for (int i = 0; i < ColumnCount(); ++i)
    item->setTextAlignment(i, AlignmentOf(columns_[i].justify));
  tree_->insertTopLevelItem(index, item);
}

void ListControl::AppendRow(const QStringList &cells) {
  ProgramChange guard(programChange_);
  AddItem(tree_->topLevelItemCount(), cells);
}

void ListControl::InsertRow(int row, const QStringList &cells) {
  ProgramChange guard(programChange_);
  AddItem(std::clamp(row - 1, 0, tree_->topLevelItemCount()), cells);
}

void ListControl::RemoveRow(int row) {
  ProgramChange guard(programChange_);
  if (row >= 1 && row <= RowCount())
    delete tree_->takeTopLevelItem(row - 1);
}

int ListControl::RowCount() const {
  return tree_->topLevelItemCount();
}

QStringList ListControl::Row(int row) const {
  QStringList cells;
  if (row < 1 || row > RowCount())
    return cells;
  const QTreeWidgetItem *item = tree_->topLevelItem(row - 1);
  for (int i = 0; i < tree_->columnCount(); ++i)
    cells << item->text(i);
  return cells;
}

int ListControl::SelectedRow() const {
  QTreeWidgetItem *item = tree_->currentItem();
  return item ? tree_->indexOfTopLevelItem(item) + 1 : 0;
}

void ListControl::SetSelectedRow(int row) {
  ProgramChange guard(programChange_);
  if (row < 1 || row > RowCount()) {
    tree_->setCurrentItem(nullptr);
    return;
  }
  tree_->setCurrentItem(tree_->topLevelItem(row - 1));
}

int ListControl::VisibleRows() const {
  // Measured from the list's own size, which holds also while it sits on a tab not showing
  // (its inner widgets are laid out only once shown). The room of the scroll bars is left
  // out whether they show or not, so that no row is ever under one of them.
  const int frame = 2 * tree_->frameWidth();
  const int header = tree_->header()->isHidden() ? 0 : tree_->header()->sizeHint().height();
  int columns = 0;
  for (int i = 0; i < tree_->columnCount(); ++i)
    columns += tree_->columnWidth(i);
  const int width = frame_->width() - frame - bar_->sizeHint().width();
  const int below = columns > width ? tree_->horizontalScrollBar()->sizeHint().height() : 0;
  return std::max(1, (frame_->height() - frame - header - below) / rowHeight_);
}

void ListControl::SetThumb(int position) {
  thumb_ = std::max(0, position);
  ProgramChange guard(programChange_);
  bar_->setValue(std::min(thumb_, 100));
}

bool ListControl::ScrollBarShown() const {
  return !bar_->isHidden();
}

void ListControl::ShowScrollBar(bool on) {
  bar_->setVisible(on);
}

int ListControl::RowAt(const QPoint &pos) const {
  QTreeWidgetItem *item = tree_->itemAt(pos);
  return item ? tree_->indexOfTopLevelItem(item) + 1 : 0;
}

void ListControl::HandleClick(const QPoint &pos, int mouseKey) {
  tree_->setFocus(Qt::MouseFocusReason);
  const int row = RowAt(pos);
  if (row)
    SetSelectedRow(row);
  Post(EventKind::NewSelection, mouseKey);
  if (IsAlerted(mouseKey))
    Post(EventKind::AlertKey, mouseKey);
}

bool ListControl::HandleKey(int key, Qt::KeyboardModifiers modifiers, const QString &text) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  switch (key) {
  case Qt::Key_Up:
    Post(EventKind::ScrollUp, key);
    return true;
  case Qt::Key_Down:
    Post(EventKind::ScrollDown, key);
    return true;
  case Qt::Key_PageUp:
    Post(EventKind::PageUp, key);
    return true;
  case Qt::Key_PageDown:
    Post(EventKind::PageDown, key);
    return true;
  case Qt::Key_Home:
    Post(EventKind::ScrollTop, key);
    return true;
  case Qt::Key_End:
    Post(EventKind::ScrollBottom, key);
    return true;
  default:
    break;
  }
  int code = key == Qt::Key_Enter ? KEY_ENTER : key;
  if (ctrl)
    code |= KEY_CTRL;
  if (IsAlerted(code)) {
    Post(EventKind::AlertKey, code);
    return true;
  }
  if (!ctrl && text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace()) {
    Post(EventKind::AlertKey, key, text.at(0).unicode());
    return true;
  }
  return false;
}

} // namespace vx
