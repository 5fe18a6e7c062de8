#pragma once

#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/autobrowse/bookmark_tree.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ql {

class TBookmarkOutline;

// One node of the bookmark tree: a folder or a bookmark, with the TBMInfo it owns. The node's
// text is the record's Title. Nodes belong to their tree; a pointer to a node stays valid until
// the node leaves the tree (Remove, Clear). Freeing a node frees its subtree without recursion,
// however deep it is.
class TBookmarkNode {
public:
  TBookmarkNode() = default;
  TBookmarkNode(const TBookmarkNode &) = delete;
  TBookmarkNode &operator=(const TBookmarkNode &) = delete;
  ~TBookmarkNode();

  TBMInfo &Info() { return *info_; }
  const TBMInfo &Info() const { return *info_; }
  // The folder that holds the node, or nullptr at the top level.
  TBookmarkNode *Parent() const { return parent_; }
  // 1 at the top level.
  int Level() const { return level_; }
  // The node's place among its parent's children, from 0.
  int Row() const { return row_; }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  bool HasChildren() const { return !children_.empty(); }
  TBookmarkNode *Child(int row) const { return children_[static_cast<std::size_t>(row)].get(); }
  bool IsFolder() const { return info_->Folder != 0; }

  // Whether the outline shows the node's children.
  bool Expanded = false;

private:
  friend class TBookmarkOutline;

  std::unique_ptr<TBMInfo> info_;
  TBookmarkNode *parent_ = nullptr;
  std::vector<std::unique_ptr<TBookmarkNode>> children_;
  int level_ = 1;
  int row_ = 0;
  mutable int item_ = 0; // the item number, valid while the tree's item list is
};

// Told of every change of a tree's shape, so that a view over the tree can follow it. A parent
// of nullptr stands for the top level. Rows of a move are those before the move, as a view's
// model reports a move.
class TBookmarkOutlineListener {
public:
  virtual ~TBookmarkOutlineListener() = default;
  virtual void BeginInsert(TBookmarkNode *parent, int row) = 0;
  virtual void EndInsert() = 0;
  virtual void BeginRemove(TBookmarkNode *parent, int row) = 0;
  virtual void EndRemove() = 0;
  virtual void BeginMove(TBookmarkNode *from, int row, TBookmarkNode *to, int destination) = 0;
  virtual void EndMove() = 0;
  virtual void BeginReset() = 0;
  virtual void EndReset() = 0;
  // The node's record changed (title, marks); the shape did not.
  virtual void Changed(TBookmarkNode *node) = 0;
};

// The bookmark tree: folders and bookmarks in an outline, each node with its TBMInfo. Items are
// numbered from 1 in display order (depth first, parents before their children, collapsed
// children counted too); numbering after a change costs one walk of the tree, done on the first
// look-up. Every change raises Revision. One listener, not owned, hears of every change; between
// BeginBulk and EndBulk it hears only one reset.
//
// No node ever lies deeper than kMaxBookmarkLevel: an insertion or a move that would put one
// there is refused. Every walk of the tree is a loop, not a recursion, so that a tree of any
// depth the file holds is saved, loaded, moved and freed on a small stack. GUI thread only.
class TBookmarkOutline {
public:
  TBookmarkOutline() = default;
  TBookmarkOutline(const TBookmarkOutline &) = delete;
  TBookmarkOutline &operator=(const TBookmarkOutline &) = delete;

  void SetListener(TBookmarkOutlineListener *listener) { listener_ = listener; }

  int Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  // The node of an item number, or nullptr outside 1..Count.
  TBookmarkNode *Item(int itemNumber) const;
  // The item number of a node of this tree.
  int ItemNumber(const TBookmarkNode *node) const;

  // The children of parent (nullptr: the top level).
  int ChildCount(const TBookmarkNode *parent) const;
  TBookmarkNode *Child(const TBookmarkNode *parent, int row) const;

  // Inserts a node for info among parent's children at row (clamped to 0..ChildCount). Returns
  // nullptr, and info is dropped, when parent lies at kMaxBookmarkLevel.
  TBookmarkNode *Insert(TBookmarkNode *parent, int row, std::unique_ptr<TBMInfo> info);
  // Inserts a node as parent's last child (nullptr as Insert).
  TBookmarkNode *Append(TBookmarkNode *parent, std::unique_ptr<TBMInfo> info);
  // Inserts a node next to the selected node N: as N's first child when N has children (N is
  // then expanded), as N's child when N is a folder without children, otherwise just before N
  // under N's parent. Without a selected node it goes at the end of the top level. nullptr as
  // Insert.
  TBookmarkNode *AddNear(TBookmarkNode *selected, std::unique_ptr<TBMInfo> info);

  // Takes the node with its subtree out of the tree and returns their records in display order.
  std::vector<std::unique_ptr<TBMInfo>> Remove(TBookmarkNode *node);
  void Clear();

  // Moves the node with its subtree among parent's children, before the child that is at
  // destination now (ChildCount: at the end). False, and nothing moves, when parent is the node
  // itself or lies below it, when the node would stay where it is, or when the subtree would
  // not Fit there.
  bool Move(TBookmarkNode *node, TBookmarkNode *parent, int destination);
  // Where a dragged node goes when dropped onto the node at the drop point: before target's
  // first child when target has children, as target's last child when it is a folder without
  // children, else just before target. A target of nullptr (below the last item) takes a folder
  // to the end of the top level and leaves a bookmark. Dropping a node onto itself or onto a
  // node below it goes nowhere. False when the drop goes nowhere; otherwise *parent and *row
  // are the arguments of the Move.
  bool DropPlace(const TBookmarkNode *node, TBookmarkNode *target, TBookmarkNode **parent, int *row) const;
  // Moves a dragged node to its DropPlace. True when the node moved.
  bool Drop(TBookmarkNode *node, TBookmarkNode *target);
  // True when the node with its subtree can lie below parent (nullptr: at the top level)
  // without any node going deeper than kMaxBookmarkLevel.
  static bool Fits(const TBookmarkNode *node, const TBookmarkNode *parent);

  // True when node is top or lies below it.
  static bool IsWithin(const TBookmarkNode *node, const TBookmarkNode *top);
  // True when the node or any node below it is locked by a running Autobrowse.
  static bool SubtreeLocked(const TBookmarkNode *node);
  // The number of levels of the node's subtree: 1 for a node without children.
  static int Height(const TBookmarkNode &node);

  // Tells the listener that the node's record changed, and raises the revision.
  void NodeChanged(TBookmarkNode *node);
  uint64_t Revision() const { return revision_; }

  // Calls f(TBookmarkNode &) for every node in display order. f must not change the shape.
  template <typename F> void ForEach(F &&f) const {
    for (const auto &root : top_)
      ForEachBelow(*root, f);
  }
  // Calls f(TBookmarkNode &) for top and every node below it, in display order. f must not
  // change the shape.
  template <typename F> static void ForEachBelow(TBookmarkNode &top, F &&f) {
    for (TBookmarkNode *node = &top; node != nullptr; node = NextBelow(node, &top))
      f(*node);
  }
  // The node that follows node in display order among top and the nodes below it; nullptr
  // after the last. node must be top or lie below it.
  static TBookmarkNode *NextBelow(const TBookmarkNode *node, const TBookmarkNode *top);

  // Changes between BeginBulk and EndBulk reach the listener as one reset. Calls nest.
  void BeginBulk();
  void EndBulk();

private:
  std::vector<std::unique_ptr<TBookmarkNode>> &ChildrenOf(TBookmarkNode *parent) {
    return parent == nullptr ? top_ : parent->children_;
  }
  const std::vector<std::unique_ptr<TBookmarkNode>> &ChildrenOf(const TBookmarkNode *parent) const {
    return parent == nullptr ? top_ : parent->children_;
  }
  static void Renumber(std::vector<std::unique_ptr<TBookmarkNode>> &children, std::size_t from);
  static void SetLevels(TBookmarkNode &node, int level);
  static int SubtreeSize(const TBookmarkNode &node);
  void Touched();
  void RebuildItems() const;
  bool Quiet() const { return listener_ == nullptr || bulk_ > 0; }

  std::vector<std::unique_ptr<TBookmarkNode>> top_;
  int count_ = 0;
  uint64_t revision_ = 0;
  TBookmarkOutlineListener *listener_ = nullptr;
  int bulk_ = 0;
  mutable std::vector<TBookmarkNode *> items_;
  mutable bool itemsValid_ = true;
};

} // namespace ql
