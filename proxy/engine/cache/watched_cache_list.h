#pragma once

#include "proxy/engine/cache/cache_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace ql {

class TCacheIndex;

// A cache list that follows the cache index: when the index frees an entry (a delete, an
// eviction, a body found missing), the entry's slot in this list is emptied at once, so the
// list never holds a freed entry. The Cache Explorer's view list, a search's working list and
// the /cache page's results are such lists.
//
// The list may be absent ("none"), which differs from an empty list: the Cache Explorer
// rebuilds an absent view list from the whole cache. An entry stands in the list at most once.
// Every change of the list's order or content goes through Assign, Change or Drop, which keep
// the list's index by entry ID up to date; emptying a slot for a removal costs one lookup.
//
// The cache index is not owned and must outlive the list. GUI thread only.
class TWatchedCacheList {
public:
  explicit TWatchedCacheList(TCacheIndex &index);
  ~TWatchedCacheList();
  TWatchedCacheList(const TWatchedCacheList &) = delete;
  TWatchedCacheList &operator=(const TWatchedCacheList &) = delete;

  TCacheIndex &Index() const { return index_; }
  bool Exists() const { return exists_; }
  const TCacheList &Items() const { return items_; }
  std::size_t Count() const { return items_.size(); }
  // The entry of slot i; nullptr for an empty slot or a position beyond the end.
  TCacheItem *At(std::size_t i) const { return i < items_.size() ? items_[i] : nullptr; }

  // Holds list from now on (the list exists).
  void Assign(TCacheList list);
  // Makes the list absent.
  void Drop();
  // Runs f on the list (which then exists) to reorder, shorten or refill it. f must not
  // remove entries from the cache index.
  void Change(const std::function<void(TCacheList &)> &f);
  // Exchanges the content of two lists that follow the same index.
  void Swap(TWatchedCacheList &other);
  // Adds an entry at the end (the list then exists).
  void Append(TCacheItem *item);
  // Empties slot i, keeping every other entry in its slot (for walks that let window
  // messages, and so removals, run between their steps).
  void EmptySlot(std::size_t i);

  // Called with the slot emptied by a removal from the index, after it was emptied.
  void SetOnSlotEmptied(std::function<void(std::size_t slot)> onEmptied) {
    onEmptied_ = std::move(onEmptied);
  }

private:
  void Reindex();
  void EntryRemoved(int32_t id);

  TCacheIndex &index_;
  int listener_ = 0;
  bool exists_ = false;
  TCacheList items_;
  std::unordered_map<int32_t, std::size_t> slotOfId_;
  std::function<void(std::size_t)> onEmptied_;
};

} // namespace ql
