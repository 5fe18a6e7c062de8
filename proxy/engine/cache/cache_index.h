#pragma once

#include "proxy/engine/cache/cache_item.h"

#include <QByteArray>
#include <QHashFunctions>
#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>
#include <vector>

namespace ql {

// The process-wide cache index: CacheList, the ordered list of every entry, with hash indexes
// by ID and by URL beside it, the running CacheTotalSize, HighestCacheId and the journal queue.
//
// List order is the order of CACHE.DAT, then entries first met in the journal, then entries
// appended as they are stored; it decides first matches and the order of the saved file.
// Lookups by ID and by URL never walk the list.
//
// The index owns its entries. A pointer from FindCacheItemById stays valid until that entry is
// removed (Remove, Clear or destruction); anything that must outlive a call holds the ID and
// looks it up again, or subscribes to removals with AddRemovalListener. The journal queue holds
// IDs and loses an entry as it is removed.
//
// CacheTotalSize is the sum of Length over Normal entries. Change Length and EntryType of a
// listed entry only through SetLength and SetEntryType so that the total stays right; change
// URL or ID only by Put. GUI thread only.
class TCacheIndex {
public:
  using TRemovalListener = std::function<void(int32_t id)>;

  TCacheIndex() = default;
  TCacheIndex(const TCacheIndex &) = delete;
  TCacheIndex &operator=(const TCacheIndex &) = delete;

  // The entry with this ID, or nullptr.
  TCacheItem *FindCacheItemById(int32_t id);
  const TCacheItem *FindCacheItemById(int32_t id) const;

  // IDs of the entries whose URL equals url exactly, in list order.
  std::vector<int32_t> IdsForUrl(const QByteArray &url) const;

  // Calls f(const TCacheItem &) for every entry in list order. f must not change the index.
  template <typename F> void ForEach(F &&f) const {
    for (const Node &node : list_)
      f(node.item);
  }
  // The IDs of all entries in list order: a snapshot that stays safe while entries go.
  std::vector<int32_t> Ids() const;

  std::size_t Count() const { return list_.size(); }
  bool IsEmpty() const { return list_.empty(); }
  int64_t CacheTotalSize() const { return total_size_; }
  int32_t HighestCacheId() const { return highest_id_; }
  void RaiseHighestCacheId(int32_t id);

  // The ID the next new entry takes: HighestCacheId + 1, or, once HighestCacheId is the largest
  // 32-bit value (read from a file), the lowest ID no entry has, so that an ID never overflows.
  int32_t PeekNextCacheId() const;
  // Takes PeekNextCacheId as the ID of a new entry; HighestCacheId rises to it.
  int32_t NextCacheId();

  // Enters item under its ID. A new ID is appended at the end of the list; an ID already
  // listed has its entry overwritten in place, keeping its list position (a later record wins).
  // Raises HighestCacheId to the ID. Returns the listed entry.
  TCacheItem &Put(TCacheItem item);

  void SetLength(TCacheItem &item, int32_t length);
  void SetEntryType(TCacheItem &item, uint8_t type);

  // Takes the entry out of the list, the indexes and the journal queue, tells every removal
  // listener, and frees it. An unknown ID does nothing.
  void Remove(int32_t id);

  // Frees every entry (without telling listeners) and resets the total, the highest ID and the
  // journal queue.
  void Clear();

  // Removal listeners are called with the ID of each removed entry after it has left the
  // index; they must not change the index. Returns a handle for RemoveRemovalListener.
  int AddRemovalListener(TRemovalListener listener);
  void RemoveRemovalListener(int handle);

  // IDs waiting to be appended to the journal, in queue order.
  std::vector<int32_t> &JournalQueue() { return journal_queue_; }

  // Set by a load that met a damaged file; the save then skips the orphan clean-up.
  bool LoadDamaged = false;
  // Set by a load that met a damaged CACHE.DAT of which no copy could be kept: the save then
  // leaves CACHE.DAT (and the journal) as they are.
  bool KeepCacheFile = false;

private:
  struct Node {
    uint64_t seq; // rises with list position
    TCacheItem item;
  };
  struct ByteArrayHash {
    std::size_t operator()(const QByteArray &key) const { return qHash(key); }
  };
  using NodeIter = std::list<Node>::iterator;

  void AddToUrlIndex(NodeIter node);
  void RemoveFromUrlIndex(NodeIter node);
  int64_t CountedSize(const TCacheItem &item) const { return item.EntryType == Normal ? item.Length : 0; }

  std::list<Node> list_;
  uint64_t next_seq_ = 0;
  std::unordered_map<int32_t, NodeIter> by_id_;
  std::unordered_map<QByteArray, std::vector<NodeIter>, ByteArrayHash> by_url_;
  int64_t total_size_ = 0;
  int32_t highest_id_ = 0;
  std::vector<int32_t> journal_queue_;
  std::vector<std::pair<int, TRemovalListener>> listeners_;
  int next_listener_ = 1;
};

} // namespace ql
