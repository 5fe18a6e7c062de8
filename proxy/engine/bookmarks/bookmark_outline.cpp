#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <algorithm>

namespace ql {

TBookmarkNode::~TBookmarkNode() {
  // The subtree is taken apart level by level, each node freed once it has no children left,
  // so that freeing never recurses however deep the tree is.
  std::vector<std::unique_ptr<TBookmarkNode>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<TBookmarkNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto &child : node->children_)
      pending.push_back(std::move(child));
    node->children_.clear();
  }
}

TBookmarkNode *TBookmarkOutline::NextBelow(const TBookmarkNode *node, const TBookmarkNode *top) {
  if (node->HasChildren())
    return node->children_.front().get();
  // Up to the nearest node, at or above this one but below top, that has a next sibling.
  for (const TBookmarkNode *at = node; at != top; at = at->parent_) {
    const auto &siblings = at->parent_->children_;
    const auto next = static_cast<std::size_t>(at->row_) + 1;
    if (next < siblings.size())
      return siblings[next].get();
  }
  return nullptr;
}

TBookmarkNode *TBookmarkOutline::Item(int itemNumber) const {
  if (itemNumber < 1 || itemNumber > count_)
    return nullptr;
  RebuildItems();
  return items_[static_cast<std::size_t>(itemNumber - 1)];
}

int TBookmarkOutline::ItemNumber(const TBookmarkNode *node) const {
  if (node == nullptr)
    return 0;
  RebuildItems();
  return node->item_;
}

void TBookmarkOutline::RebuildItems() const {
  if (itemsValid_)
    return;
  items_.clear();
  items_.reserve(static_cast<std::size_t>(count_));
  ForEach([this](TBookmarkNode &node) {
    items_.push_back(&node);
    node.item_ = static_cast<int>(items_.size());
  });
  itemsValid_ = true;
}

int TBookmarkOutline::ChildCount(const TBookmarkNode *parent) const {
  return static_cast<int>(ChildrenOf(parent).size());
}

TBookmarkNode *TBookmarkOutline::Child(const TBookmarkNode *parent, int row) const {
  const auto &children = ChildrenOf(parent);
  if (row < 0 || row >= static_cast<int>(children.size()))
    return nullptr;
  return children[static_cast<std::size_t>(row)].get();
}

void TBookmarkOutline::Renumber(std::vector<std::unique_ptr<TBookmarkNode>> &children, std::size_t from) {
  for (std::size_t i = from; i < children.size(); ++i)
    children[i]->row_ = static_cast<int>(i);
}

void TBookmarkOutline::SetLevels(TBookmarkNode &node, int level) {
  ForEachBelow(node, [&node, level](TBookmarkNode &each) {
    each.level_ = &each == &node ? level : each.parent_->level_ + 1;
  });
}

int TBookmarkOutline::SubtreeSize(const TBookmarkNode &node) {
  int size = 0;
  for (const TBookmarkNode *each = &node; each != nullptr; each = NextBelow(each, &node))
    ++size;
  return size;
}

int TBookmarkOutline::Height(const TBookmarkNode &node) {
  int deepest = node.level_;
  for (const TBookmarkNode *each = &node; each != nullptr; each = NextBelow(each, &node))
    deepest = std::max(deepest, each->level_);
  return deepest - node.level_ + 1;
}

bool TBookmarkOutline::Fits(const TBookmarkNode *node, const TBookmarkNode *parent) {
  const int above = parent == nullptr ? 0 : parent->level_;
  return above < kMaxBookmarkLevel && Height(*node) <= kMaxBookmarkLevel - above;
}

void TBookmarkOutline::Touched() {
  ++revision_;
  itemsValid_ = false;
}

TBookmarkNode *TBookmarkOutline::Insert(TBookmarkNode *parent, int row, std::unique_ptr<TBMInfo> info) {
  if (parent != nullptr && parent->level_ >= kMaxBookmarkLevel)
    return nullptr;
  auto &children = ChildrenOf(parent);
  row = std::clamp(row, 0, static_cast<int>(children.size()));
  auto node = std::make_unique<TBookmarkNode>();
  node->info_ = std::move(info);
  node->parent_ = parent;
  node->level_ = parent == nullptr ? 1 : parent->level_ + 1;
  TBookmarkNode *added = node.get();
  if (!Quiet())
    listener_->BeginInsert(parent, row);
  children.insert(children.begin() + row, std::move(node));
  Renumber(children, static_cast<std::size_t>(row));
  ++count_;
  Touched();
  if (!Quiet())
    listener_->EndInsert();
  return added;
}

TBookmarkNode *TBookmarkOutline::Append(TBookmarkNode *parent, std::unique_ptr<TBMInfo> info) {
  return Insert(parent, ChildCount(parent), std::move(info));
}

TBookmarkNode *TBookmarkOutline::AddNear(TBookmarkNode *selected, std::unique_ptr<TBMInfo> info) {
  if (selected == nullptr)
    return Append(nullptr, std::move(info));
  if (selected->HasChildren()) {
    selected->Expanded = true;
    return Insert(selected, 0, std::move(info));
  }
  if (selected->IsFolder())
    return Insert(selected, 0, std::move(info));
  return Insert(selected->parent_, selected->row_, std::move(info));
}

std::vector<std::unique_ptr<TBMInfo>> TBookmarkOutline::Remove(TBookmarkNode *node) {
  std::vector<std::unique_ptr<TBMInfo>> records;
  if (node == nullptr)
    return records;
  TBookmarkNode *parent = node->parent_;
  const int row = node->row_;
  if (!Quiet())
    listener_->BeginRemove(parent, row);
  auto &children = ChildrenOf(parent);
  std::unique_ptr<TBookmarkNode> taken = std::move(children[static_cast<std::size_t>(row)]);
  children.erase(children.begin() + row);
  Renumber(children, static_cast<std::size_t>(row));
  count_ -= SubtreeSize(*taken);
  ForEachBelow(*taken, [&records](TBookmarkNode &each) { records.push_back(std::move(each.info_)); });
  taken.reset();
  Touched();
  if (!Quiet())
    listener_->EndRemove();
  return records;
}

void TBookmarkOutline::Clear() {
  if (!Quiet())
    listener_->BeginReset();
  top_.clear();
  count_ = 0;
  Touched();
  if (!Quiet())
    listener_->EndReset();
}

bool TBookmarkOutline::IsWithin(const TBookmarkNode *node, const TBookmarkNode *top) {
  for (const TBookmarkNode *at = node; at != nullptr; at = at->parent_) {
    if (at == top)
      return true;
  }
  return false;
}

bool TBookmarkOutline::SubtreeLocked(const TBookmarkNode *node) {
  for (const TBookmarkNode *each = node; each != nullptr; each = NextBelow(each, node)) {
    if (each->info_->Locked)
      return true;
  }
  return false;
}

bool TBookmarkOutline::Move(TBookmarkNode *node, TBookmarkNode *parent, int destination) {
  if (node == nullptr || IsWithin(parent, node) || !Fits(node, parent))
    return false;
  auto &from = ChildrenOf(node->parent_);
  auto &to = ChildrenOf(parent);
  const int row = node->row_;
  destination = std::clamp(destination, 0, static_cast<int>(to.size()));
  const bool sameParent = node->parent_ == parent;
  if (sameParent && (destination == row || destination == row + 1))
    return false;
  if (!Quiet())
    listener_->BeginMove(node->parent_, row, parent, destination);
  std::unique_ptr<TBookmarkNode> taken = std::move(from[static_cast<std::size_t>(row)]);
  from.erase(from.begin() + row);
  if (sameParent && destination > row)
    --destination;
  to.insert(to.begin() + destination, std::move(taken));
  Renumber(from, 0);
  if (!sameParent)
    Renumber(to, 0);
  node->parent_ = parent;
  SetLevels(*node, parent == nullptr ? 1 : parent->level_ + 1);
  Touched();
  if (!Quiet())
    listener_->EndMove();
  return true;
}

bool TBookmarkOutline::DropPlace(const TBookmarkNode *node, TBookmarkNode *target, TBookmarkNode **parent,
                                 int *row) const {
  if (node == nullptr)
    return false;
  if (target == nullptr) {
    *parent = nullptr;
    *row = ChildCount(nullptr);
    return node->IsFolder();
  }
  if (IsWithin(target, node))
    return false;
  if (target->HasChildren()) {
    *parent = target;
    *row = 0;
  } else if (target->IsFolder()) {
    *parent = target;
    *row = target->ChildCount();
  } else {
    *parent = target->parent_;
    *row = target->row_;
  }
  return true;
}

bool TBookmarkOutline::Drop(TBookmarkNode *node, TBookmarkNode *target) {
  TBookmarkNode *parent = nullptr;
  int row = 0;
  return DropPlace(node, target, &parent, &row) && Move(node, parent, row);
}

void TBookmarkOutline::NodeChanged(TBookmarkNode *node) {
  ++revision_;
  if (!Quiet())
    listener_->Changed(node);
}

void TBookmarkOutline::BeginBulk() {
  if (bulk_++ == 0 && listener_ != nullptr)
    listener_->BeginReset();
}

void TBookmarkOutline::EndBulk() {
  if (bulk_ > 0 && --bulk_ == 0 && listener_ != nullptr)
    listener_->EndReset();
}

} // namespace ql
