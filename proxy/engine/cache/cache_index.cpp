#include "proxy/engine/cache/cache_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ql {

TCacheItem *TCacheIndex::FindCacheItemById(int32_t id) {
  const auto found = by_id_.find(id);
  return found == by_id_.end() ? nullptr : &found->second->item;
}

const TCacheItem *TCacheIndex::FindCacheItemById(int32_t id) const {
  const auto found = by_id_.find(id);
  return found == by_id_.end() ? nullptr : &found->second->item;
}

std::vector<int32_t> TCacheIndex::IdsForUrl(const QByteArray &url) const {
  std::vector<int32_t> ids;
  const auto found = by_url_.find(url);
  if (found != by_url_.end()) {
    ids.reserve(found->second.size());
    for (NodeIter node : found->second)
      ids.push_back(node->item.ID);
  }
  return ids;
}

std::vector<int32_t> TCacheIndex::Ids() const {
  std::vector<int32_t> ids;
  ids.reserve(list_.size());
  for (const Node &node : list_)
    ids.push_back(node.item.ID);
  return ids;
}

void TCacheIndex::RaiseHighestCacheId(int32_t id) {
  highest_id_ = std::max(highest_id_, id);
}

void TCacheIndex::SetBlockSize(int64_t bytes) {
  block_ = std::max<int64_t>(bytes, 1);
  total_size_ = 0;
  for (const Node &node : list_)
    total_size_ += CountedSize(node.item);
}

int32_t TCacheIndex::PeekNextCacheId() {
  if (highest_id_ < std::numeric_limits<int32_t>::max())
    return std::max(highest_id_, 0) + 1;
  // The highest ID is the largest there is: the lowest free one serves instead.
  if (!free_ids_.empty())
    return *free_ids_.begin();
  while (by_id_.contains(reuse_from_) || retired_.contains(reuse_from_))
    ++reuse_from_;
  return reuse_from_;
}

int32_t TCacheIndex::NextCacheId() {
  const int32_t id = PeekNextCacheId();
  free_ids_.erase(id);
  RaiseHighestCacheId(id);
  return id;
}

void TCacheIndex::ReleaseIds(const std::vector<int32_t> &ids) {
  for (const int32_t id : ids) {
    // An ID the cursor passed while it was retired is free from now on.
    if (retired_.erase(id) != 0 && id < reuse_from_ && !by_id_.contains(id))
      free_ids_.insert(id);
  }
}

void TCacheIndex::ReleaseAllIds() {
  std::vector<int32_t> ids(retired_.begin(), retired_.end());
  ReleaseIds(ids);
}

TCacheItem &TCacheIndex::Put(TCacheItem item) {
  RaiseHighestCacheId(item.ID);
  if (!free_ids_.empty())
    free_ids_.erase(item.ID);
  const auto found = by_id_.find(item.ID);
  if (found == by_id_.end()) {
    total_size_ += CountedSize(item);
    list_.push_back(Node{next_seq_++, std::move(item)});
    const NodeIter node = std::prev(list_.end());
    by_id_.emplace(node->item.ID, node);
    AddToUrlIndex(node);
    Order(*node);
    return node->item;
  }
  const NodeIter node = found->second;
  Unorder(*node);
  total_size_ -= CountedSize(node->item);
  total_size_ += CountedSize(item);
  if (node->item.URL == item.URL) {
    node->item = std::move(item);
  } else {
    RemoveFromUrlIndex(node);
    node->item = std::move(item);
    AddToUrlIndex(node);
  }
  Order(*node);
  return node->item;
}

void TCacheIndex::SetLength(TCacheItem &item, int32_t length) {
  total_size_ -= CountedSize(item);
  item.Length = length;
  total_size_ += CountedSize(item);
}

void TCacheIndex::SetEntryType(TCacheItem &item, uint8_t type) {
  Node *node = NodeOf(item);
  if (node)
    Unorder(*node);
  total_size_ -= CountedSize(item);
  item.EntryType = type;
  total_size_ += CountedSize(item);
  if (node)
    Order(*node);
}

void TCacheIndex::SetLastAccessed(TCacheItem &item, TDateTime when) {
  Node *node = NodeOf(item);
  if (node)
    Unorder(*node);
  item.LastAccessed = when;
  if (node)
    Order(*node);
}

TCacheItem *TCacheIndex::LeastRecentlyUsed(TDateTime before) {
  if (order_.empty() || !(order_.begin()->at < before))
    return nullptr;
  return FindCacheItemById(order_.begin()->id);
}

void TCacheIndex::Remove(int32_t id) {
  Take(id, TTake::Removed);
}

void TCacheIndex::Evict(int32_t id) {
  Take(id, TTake::Evicted);
}

bool TCacheIndex::Drop(int32_t id) {
  return Take(id, TTake::Dropped);
}

bool TCacheIndex::Take(int32_t id, TTake how) {
  const auto found = by_id_.find(id);
  if (found == by_id_.end())
    return false;
  const NodeIter node = found->second;
  by_id_.erase(found);
  RemoveFromUrlIndex(node);
  Unorder(*node);
  total_size_ -= CountedSize(node->item);
  list_.erase(node);
  if (how == TTake::Dropped) {
    if (id < reuse_from_)
      free_ids_.insert(id);
  } else {
    journal_queue_.push_back(TJournalEvent{id, true, how == TTake::Evicted});
    retired_.insert(id);
  }
  for (const auto &[handle, listener] : listeners_)
    listener(id);
  return true;
}

void TCacheIndex::Clear() {
  by_url_.clear();
  by_id_.clear();
  order_.clear();
  list_.clear();
  journal_queue_.clear();
  retired_.clear();
  free_ids_.clear();
  reuse_from_ = 1;
  total_size_ = 0;
  highest_id_ = 0;
  LoadDamaged = false;
  KeepCacheFile = false;
}

int TCacheIndex::AddRemovalListener(TRemovalListener listener) {
  listeners_.emplace_back(next_listener_, std::move(listener));
  return next_listener_++;
}

void TCacheIndex::RemoveRemovalListener(int handle) {
  std::erase_if(listeners_, [handle](const auto &entry) { return entry.first == handle; });
}

TCacheIndex::Node *TCacheIndex::NodeOf(const TCacheItem &item) {
  const auto found = by_id_.find(item.ID);
  return found != by_id_.end() && &found->second->item == &item ? &*found->second : nullptr;
}

void TCacheIndex::Unorder(Node &node) {
  if (!node.ordered)
    return;
  order_.erase(OrderKey{node.ordered_at, node.seq, node.item.ID});
  node.ordered = false;
}

void TCacheIndex::Order(Node &node) {
  // A date that is not a number compares with nothing: the full pass would never choose it.
  if (node.item.EntryType != Normal || std::isnan(node.item.LastAccessed))
    return;
  node.ordered_at = node.item.LastAccessed;
  node.ordered = true;
  order_.insert(OrderKey{node.ordered_at, node.seq, node.item.ID});
}

void TCacheIndex::AddToUrlIndex(NodeIter node) {
  std::vector<NodeIter> &bucket = by_url_[node->item.URL];
  const auto at = std::upper_bound(bucket.begin(), bucket.end(), node->seq,
                                   [](uint64_t seq, NodeIter other) { return seq < other->seq; });
  bucket.insert(at, node);
}

void TCacheIndex::RemoveFromUrlIndex(NodeIter node) {
  const auto found = by_url_.find(node->item.URL);
  if (found == by_url_.end())
    return;
  std::erase(found->second, node);
  if (found->second.empty())
    by_url_.erase(found);
}

} // namespace ql
