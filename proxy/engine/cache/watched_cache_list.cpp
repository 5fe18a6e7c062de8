#include "proxy/engine/cache/watched_cache_list.h"

#include "proxy/engine/cache/cache_index.h"

namespace ql {

TWatchedCacheList::TWatchedCacheList(TCacheIndex &index) : index_(index) {
  listener_ = index_.AddRemovalListener([this](int32_t id) { EntryRemoved(id); });
}

TWatchedCacheList::~TWatchedCacheList() {
  index_.RemoveRemovalListener(listener_);
}

void TWatchedCacheList::Assign(TCacheList list) {
  items_ = std::move(list);
  exists_ = true;
  Reindex();
}

void TWatchedCacheList::Drop() {
  items_.clear();
  slotOfId_.clear();
  exists_ = false;
}

void TWatchedCacheList::Change(const std::function<void(TCacheList &)> &f) {
  f(items_);
  exists_ = true;
  Reindex();
}

void TWatchedCacheList::Swap(TWatchedCacheList &other) {
  std::swap(items_, other.items_);
  std::swap(exists_, other.exists_);
  std::swap(slotOfId_, other.slotOfId_);
}

void TWatchedCacheList::Append(TCacheItem *item) {
  exists_ = true;
  if (item != nullptr)
    slotOfId_[item->ID] = items_.size();
  items_.push_back(item);
}

void TWatchedCacheList::EmptySlot(std::size_t i) {
  if (i >= items_.size() || items_[i] == nullptr)
    return;
  slotOfId_.erase(items_[i]->ID);
  items_[i] = nullptr;
}

void TWatchedCacheList::Reindex() {
  slotOfId_.clear();
  slotOfId_.reserve(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] != nullptr)
      slotOfId_[items_[i]->ID] = i;
  }
}

void TWatchedCacheList::EntryRemoved(int32_t id) {
  const auto found = slotOfId_.find(id);
  if (found == slotOfId_.end())
    return;
  const std::size_t slot = found->second;
  slotOfId_.erase(found);
  items_[slot] = nullptr;
  if (onEmptied_)
    onEmptied_(slot);
}

} // namespace ql
