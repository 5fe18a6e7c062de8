#include "proxy/windows/bookmarks/ext_outline.h"

#include "proxy/platform/timer_scale.h"
#include "proxy/windows/bookmarks/outline_model.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace ql {

namespace {

constexpr unsigned kDragScrollMs = 100;
constexpr int kNearEdge = 25;
constexpr int kFarEdge = 40;

} // namespace

int DragScrollRows(int distance, int rowsBeyond, int fewerThan) {
  if (distance <= 0 || distance >= kFarEdge)
    return 0;
  if (distance < kNearEdge)
    return 1;
  return rowsBeyond < fewerThan ? 1 : 3;
}

TExtOutline::TExtOutline(TOutlineModel &model, QWidget *parent)
    : QTreeView(parent), model_(model), scrollTimer_(new QTimer(this)),
      cursorPos_([] { return QCursor::pos(); }), measureTimer_(new QTimer(this)) {
  setModel(&model_);
  setHeaderHidden(true);
  // The column takes the rows' width (FitColumn) rather than the view's, and scrolls by pixels.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Fixed);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setDropIndicatorShown(false);
  setAutoScroll(false);
  setMouseTracking(true);
  setExpandsOnDoubleClick(true);
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  const QScreen *screen = QGuiApplication::primaryScreen();
  font.setPointSize(screen != nullptr && screen->logicalDotsPerInchY() > 96 ? 8 : 9);
  setFont(font);
  scrollTimer_->setInterval(ScaledInterval(kDragScrollMs));
  connect(scrollTimer_, &QTimer::timeout, this, &TExtOutline::DragScrollTick);
  measureTimer_->setSingleShot(true);
  measureTimer_->setInterval(0);
  connect(measureTimer_, &QTimer::timeout, this, &TExtOutline::MeasureRows);
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
    TBookmarkNode *node = model_.NodeOf(index);
    if (node == nullptr)
      return;
    if (node->Level() >= kMaxOpenLevel)
      collapse(index);
    else
      node->Expanded = true;
    // An open folder shows another icon.
    rowWidths_.remove(node);
    RowsChanged();
  });
  connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
    if (TBookmarkNode *node = model_.NodeOf(index)) {
      node->Expanded = false;
      rowWidths_.remove(node);
    }
    RowsChanged();
  });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, &TExtOutline::RowsChanged);
  connect(&model_, &QAbstractItemModel::rowsRemoved, this, &TExtOutline::RowsChanged);
  connect(&model_, &QAbstractItemModel::rowsMoved, this, &TExtOutline::RowsChanged);
  connect(&model_, &QAbstractItemModel::modelReset, this, &TExtOutline::RowsChanged);
  connect(&model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex &from, const QModelIndex &to) {
            // The model tells of one node at a time.
            rowWidths_.remove(model_.NodeOf(from));
            rowWidths_.remove(model_.NodeOf(to));
            RowsChanged();
          });
  // The widths of removed nodes must not outlive them.
  connect(&model_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
          [this](const QModelIndex &parent, int first, int last) {
            for (int row = first; row <= last; ++row) {
              if (TBookmarkNode *node = model_.NodeOf(model_.index(row, 0, parent)))
                TBookmarkOutline::ForEachBelow(*node,
                                               [this](TBookmarkNode &each) { rowWidths_.remove(&each); });
            }
          });
  connect(&model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { rowWidths_.clear(); });
  connect(&model_, &QAbstractItemModel::modelReset, this, &TExtOutline::ShowExpandedNodes);
  connect(&model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &parent) {
    if (const TBookmarkNode *node = model_.NodeOf(parent); node != nullptr && node->Expanded)
      Open(parent);
  });
  connect(&model_, &QAbstractItemModel::rowsMoved, this,
          [this](const QModelIndex &, int, int, const QModelIndex &destination, int row) {
            if (const TBookmarkNode *node = model_.NodeOf(destination); node != nullptr && node->Expanded)
              Open(destination);
            // A moved folder keeps its children shown or hidden as before.
            const QModelIndex moved = model_.index(row, 0, destination);
            if (moved.isValid() && model_.NodeOf(moved) != nullptr && model_.NodeOf(moved)->Expanded)
              Open(moved);
          });
}

TBookmarkNode *TExtOutline::Selected() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? nullptr : model_.NodeOf(rows.constFirst());
}

void TExtOutline::Select(const TBookmarkNode *node) {
  if (node == nullptr) {
    clearSelection();
    return;
  }
  const QModelIndex index = model_.IndexOf(node);
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
    Open(up);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
}

void TExtOutline::Open(const QModelIndex &index) {
  if (const TBookmarkNode *node = model_.NodeOf(index); node != nullptr && node->Level() < kMaxOpenLevel)
    expand(index);
}

// expandToDepth, expandRecursively and collapseAll tell of no folder they open or close.
void TExtOutline::OpenBranch(const QModelIndex &index) {
  const TBookmarkNode *node = model_.NodeOf(index);
  if (node == nullptr)
    expandToDepth(kMaxOpenLevel - 2);
  else if (node->Level() < kMaxOpenLevel)
    expandRecursively(index, kMaxOpenLevel - 1 - node->Level());
  RowsChanged();
}

void TExtOutline::CloseAll() {
  collapseAll();
  RowsChanged();
}

void TExtOutline::ShowCurrent() {
  if (currentIndex().isValid())
    scrollTo(currentIndex());
}

void TExtOutline::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
  QTreeView::currentChanged(current, previous);
  // The view's own scrolling to the current row goes with its drag scrolling, which the
  // outline does by its own rule (DragScrollTick); a move of the current row by a key or a
  // command still brings it into view.
  if (current.isValid() && isVisible() && state() != DraggingState)
    scrollTo(current);
}

void TExtOutline::scrollTo(const QModelIndex &index, ScrollHint hint) {
  // The column must be as wide as the rows before the scroll bar can reach the row.
  if (measureTimer_->isActive()) {
    measureTimer_->stop();
    MeasureRows();
  }
  QTreeView::scrollTo(index, hint);
  // The tree view scrolls sideways by whole columns; the outline's one column is as wide as
  // its widest row, so the row itself (with its expand mark) is brought into view instead.
  const QRect rect = visualRect(index);
  if (!rect.isValid())
    return;
  QScrollBar *bar = horizontalScrollBar();
  const int left = rect.left() + bar->value();
  const int right = left + sizeHintForIndex(index).width();
  int value = bar->value();
  if (right - value > viewport()->width())
    value = right - viewport()->width();
  value = std::min(value, std::max(0, left - indentation()));
  bar->setValue(value);
}

void TExtOutline::resizeEvent(QResizeEvent *event) {
  QTreeView::resizeEvent(event);
  FitColumn();
}

void TExtOutline::RowsChanged() {
  measureTimer_->start();
}

TBookmarkNode *TExtOutline::NextShown(TBookmarkNode *node) const {
  if (node->HasChildren() && isExpanded(model_.IndexOf(node)))
    return node->Child(0);
  // Up to the first folder with a node after this one; each level is climbed once per walk.
  for (; node != nullptr; node = node->Parent()) {
    const int next = node->Row() + 1;
    const TBookmarkNode *parent = node->Parent();
    if (parent == nullptr)
      return model_.NodeOf(model_.index(next, 0));
    if (next < parent->ChildCount())
      return parent->Child(next);
  }
  return nullptr;
}

void TExtOutline::MeasureRows() {
  int widest = 0;
  const int rootLevels = rootIsDecorated() ? 1 : 0;
  // Each row as the delegate lays it out (icon, margins and the title's text layout), so that
  // the column is never a pixel short of the widest and its title is drawn whole.
  for (TBookmarkNode *node = model_.NodeOf(model_.index(0, 0)); node != nullptr; node = NextShown(node)) {
    auto row = rowWidths_.find(node);
    if (row == rowWidths_.end())
      row = rowWidths_.insert(node, sizeHintForIndex(model_.IndexOf(node)).width());
    widest = std::max(widest, indentation() * (node->Level() - 1 + rootLevels) + *row);
  }
  rowsWidth_ = widest;
  FitColumn();
}

void TExtOutline::FitColumn() {
  const int width = std::max(rowsWidth_, viewport()->width());
  if (header()->count() == 0 || header()->sectionSize(0) == width)
    return;
  header()->resizeSection(0, width);
  updateGeometries();
}

TBookmarkNode *TExtOutline::NodeAt(QPoint viewportPos) const {
  return model_.NodeOf(indexAt(viewportPos));
}

void TExtOutline::ShowExpandedNodes() {
  // A list of folders still to look into rather than a recursion: the tree may be tens of
  // thousands of levels deep.
  std::vector<QModelIndex> pending{QModelIndex()};
  while (!pending.empty()) {
    const QModelIndex parent = pending.back();
    pending.pop_back();
    const int rows = model_.rowCount(parent);
    for (int row = 0; row < rows; ++row) {
      const QModelIndex index = model_.index(row, 0, parent);
      const TBookmarkNode *node = model_.NodeOf(index);
      if (node->HasChildren()) {
        if (node->Expanded)
          Open(index);
        pending.push_back(index);
      }
    }
  }
}

void TExtOutline::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::RightButton) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    event->accept();
    return;
  }
  QTreeView::mousePressEvent(event);
}

void TExtOutline::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::RightButton) {
    const TBookmarkNode *under = NodeAt(event->position().toPoint());
    const bool empty = model_.rowCount() == 0;
    if ((empty || (under != nullptr && under == Selected())) && callbacks_.popup)
      callbacks_.popup(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  QTreeView::mouseReleaseEvent(event);
}

void TExtOutline::mouseMoveEvent(QMouseEvent *event) {
  if (event->buttons() == Qt::NoButton && callbacks_.hover)
    callbacks_.hover(NodeAt(event->position().toPoint()));
  QTreeView::mouseMoveEvent(event);
}

void TExtOutline::mouseDoubleClickEvent(QMouseEvent *event) {
  TBookmarkNode *node = NodeAt(event->position().toPoint());
  if (event->button() == Qt::LeftButton && node != nullptr && !node->IsFolder() && callbacks_.open) {
    callbacks_.open(node);
    event->accept();
    return;
  }
  QTreeView::mouseDoubleClickEvent(event);
}

void TExtOutline::keyPressEvent(QKeyEvent *event) {
  TBookmarkNode *selected = Selected();
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool character = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                         (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
  if (selected != nullptr && (enter || character)) {
    if (callbacks_.open)
      callbacks_.open(selected);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
  if (callbacks_.hover)
    callbacks_.hover(Selected());
}

void TExtOutline::DragScrollTick() {
  const QPoint at = viewport()->mapFromGlobal(cursorPos_());
  QScrollBar *bar = verticalScrollBar();
  const int up = DragScrollRows(-at.y(), bar->value(), 3);
  const int down = DragScrollRows(at.y() - viewport()->height() + 1, bar->maximum() - bar->value(), 4);
  if (up > 0)
    bar->setValue(bar->value() - up);
  else if (down > 0)
    bar->setValue(bar->value() + down);
}

bool TExtOutline::DragScrollRunning() const {
  return scrollTimer_->isActive();
}

void TExtOutline::startDrag(Qt::DropActions supportedActions) {
  dragged_ = Selected();
  if (dragged_ == nullptr)
    return;
  scrollTimer_->start();
  QTreeView::startDrag(supportedActions);
  scrollTimer_->stop();
  dragged_ = nullptr;
}

bool TExtOutline::Accepts(const QMimeData *data) const {
  if (data->hasFormat(QLatin1String(kOutlineNodeMimeType)))
    return dragged_ != nullptr;
  return data->hasUrls();
}

void TExtOutline::dragEnterEvent(QDragEnterEvent *event) {
  if (Accepts(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TExtOutline::dragMoveEvent(QDragMoveEvent *event) {
  if (Accepts(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TExtOutline::dropEvent(QDropEvent *event) {
  const QMimeData *data = event->mimeData();
  if (!Accepts(data)) {
    event->ignore();
    return;
  }
  TBookmarkNode *target = NodeAt(event->position().toPoint());
  // The move is done here; the drag must not remove anything when it ends.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (data->hasFormat(QLatin1String(kOutlineNodeMimeType))) {
    if (callbacks_.moveNode)
      callbacks_.moveNode(dragged_, target);
    return;
  }
  const QList<QUrl> urls = data->urls();
  if (!urls.isEmpty() && callbacks_.dropUrl)
    callbacks_.dropUrl(target, data->text(), QString::fromUtf8(urls.constFirst().toEncoded()));
}

} // namespace ql
