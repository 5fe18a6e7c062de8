#pragma once

#include <QHash>
#include <QTreeView>

#include <functional>

class QTimer;

namespace ql {

class TBookmarkNode;
class TOutlineModel;

// The rows a drag scrolls the outline by on one tick of its timer, for a cursor `distance`
// pixels beyond the outline's edge with `rowsBeyond` rows out of sight on that side: one row
// under 25 pixels, three rows from 25 to 39 pixels (one when fewer than `fewerThan` rows are out
// of sight), none from 40 pixels on, nor inside the outline (distance 0 or less).
int DragScrollRows(int distance, int rowsBeyond, int fewerThan);

// The Bookmarks window's outline (TExtOutline): a tree view of the bookmark tree that the
// window drives through callbacks. A right button press selects the node under the cursor and
// its release over the selected node (anywhere on an empty tree) asks for the popup menu. A
// left button drag moves the selected node; while it runs a 100 ms timer scrolls the outline
// when the cursor is above or below it. A drop of an outline node names the node and the node
// at the drop point (nullptr below the last item); a drop of a URL (a Cache Explorer row) names
// the node at the drop point, the title and the URL. Any character key typed while a node is
// selected, Enter among them, opens it, as does a double click on a bookmark. The view is
// owned by its parent window; the model must outlive it.
//
// The tree view lays out the rows of open folders with one nested call per level, so the
// outline opens no folder on kMaxOpenLevel or deeper, however deep the tree is: below that
// level folders stay closed in the view, while the tree keeps their expanded marks.
//
// The column is as wide as the widest row shown (its indentation, icon and title, as the
// delegate lays them out), and never narrower than the view, so that a horizontal scroll bar
// appears as soon as a row is wider than the view and every row is drawn whole where the
// scroll reaches. The width is worked out once per turn of the event loop after the rows shown
// change, in one walk of the rows shown; each row is measured once, until its node changes.
// Every move of the current node, by key or by command, scrolls it into view, sideways too.
class TExtOutline : public QTreeView {
public:
  static constexpr int kMaxOpenLevel = 2000;

  struct TCallbacks {
    std::function<void(QPoint globalPos)> popup;
    std::function<void(TBookmarkNode *node)> open;
    std::function<void(TBookmarkNode *node, TBookmarkNode *target)> moveNode;
    std::function<void(TBookmarkNode *target, const QString &title, const QString &url)> dropUrl;
    // The node under the cursor or the selected node after a key, for the status bar.
    std::function<void(TBookmarkNode *node)> hover;
  };

  TExtOutline(TOutlineModel &model, QWidget *parent);

  void SetCallbacks(TCallbacks callbacks) { callbacks_ = std::move(callbacks); }
  TBookmarkNode *Selected() const;
  void Select(const TBookmarkNode *node);
  TBookmarkNode *NodeAt(QPoint viewportPos) const;
  // The place of the cursor on the screen; QCursor::pos() unless a test replaces it.
  void SetCursorSource(std::function<QPoint()> cursorPos) { cursorPos_ = std::move(cursorPos); }
  // One tick of the drag-scroll timer.
  void DragScrollTick();
  bool DragScrollRunning() const;
  // Scrolls the current node into view, when there is one.
  void ShowCurrent();
  // The width of the widest row shown, as the column takes it.
  int RowsWidth() const { return rowsWidth_; }

  void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

  // Applies the nodes' expanded marks to the view (after the tree was rebuilt).
  void ShowExpandedNodes();
  // Opens a folder in the view unless it lies on kMaxOpenLevel or deeper.
  void Open(const QModelIndex &index);
  // Opens the folder and the folders below it, or every folder of the tree for an invalid
  // index, down to kMaxOpenLevel.
  void OpenBranch(const QModelIndex &index);
  // Closes every folder of the view (the nodes' expanded marks are the caller's).
  void CloseAll();

protected:
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  bool Accepts(const QMimeData *data) const;
  // The rows shown changed: their width is worked out again on the next turn of the event loop.
  void RowsChanged();
  void MeasureRows();
  // Sets the column to the rows' width, or to the view's width when that is more.
  void FitColumn();
  // The node shown after node, or nullptr after the last row shown.
  TBookmarkNode *NextShown(TBookmarkNode *node) const;

  TOutlineModel &model_;
  TCallbacks callbacks_;
  QTimer *scrollTimer_;
  std::function<QPoint()> cursorPos_;
  TBookmarkNode *dragged_ = nullptr;
  QTimer *measureTimer_;
  int rowsWidth_ = 0;
  // The width of each row measured, without its indentation, until the node changes or leaves
  // the tree.
  QHash<const TBookmarkNode *, int> rowWidths_;
};

} // namespace ql
