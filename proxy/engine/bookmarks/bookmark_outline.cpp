#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <algorithm>

namespace ql {

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
  node.level_ = level;
  for (const auto &child : node.children_)
    SetLevels(*child, level + 1);
}

int TBookmarkOutline::SubtreeSize(const TBookmarkNode &node) {
  int size = 1;
  for (const auto &child : node.children_)
    size += SubtreeSize(*child);
  return size;
}

void TBookmarkOutline::Touched() {
  ++revision_;
  itemsValid_ = false;
}

TBookmarkNode *TBookmarkOutline::Insert(TBookmarkNode *parent, int row, std::unique_ptr<TBMInfo> info) {
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
  auto take = [&records](TBookmarkNode &each) { records.push_back(std::move(each.info_)); };
  Walk(*taken, take);
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
  if (node->info_->Locked)
    return true;
  return std::any_of(node->children_.begin(), node->children_.end(),
                     [](const auto &child) { return SubtreeLocked(child.get()); });
}

bool TBookmarkOutline::Move(TBookmarkNode *node, TBookmarkNode *parent, int destination) {
  if (node == nullptr || IsWithin(parent, node))
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

bool TBookmarkOutline::Drop(TBookmarkNode *node, TBookmarkNode *target) {
  if (node == nullptr)
    return false;
  if (target == nullptr)
    return node->IsFolder() && Move(node, nullptr, ChildCount(nullptr));
  if (IsWithin(target, node))
    return false;
  if (target->HasChildren())
    return Move(node, target, 0);
  if (target->IsFolder())
    return Move(node, target, target->ChildCount());
  return Move(node, target->parent_, target->row_);
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
