#pragma once

#include "proxy/engine/cache/cache_item.h"

#include <QByteArray>
#include <QHashFunctions>
#include <cstdint>
#include <functional>
#include <list>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ql {

// A change waiting in the journal queue: a store of the entry with this ID (written as the
// entry stands when the batch goes out), or its removal. The removal of an evicted entry leaves
// its body file in place: the journal's flush that writes the removal takes it away first.
struct TJournalEvent {
  int32_t ID = 0;
  bool Removed = false;
  bool Evicted = false;
  bool operator==(const TJournalEvent &) const = default;
};

// The process-wide cache index: CacheList, the ordered list of every entry, with hash indexes
// by ID and by URL beside it, the eviction order, the running CacheTotalSize, HighestCacheId
// and the journal queue.
//
// List order is the order of CACHE.DAT, then entries first met in the journal, then entries
// appended as they are stored; it decides first matches and the order of the saved file.
// Lookups by ID and by URL never walk the list. The eviction order holds the Normal entries by
// LastAccessed, the earliest in list order first among equal dates, so that the entry an
// eviction takes is found without a pass over the list.
//
// The index owns its entries. A pointer from FindCacheItemById stays valid until that entry is
// removed (Remove, Clear or destruction); anything that must outlive a call holds the ID and
// looks it up again, or subscribes to removals with AddRemovalListener. The journal queue holds
// IDs; every removal that the journal does not already hold is queued there too, so that the
// journal tells a restart what has left.
// A removed entry's ID stays retired, never given to a new entry, until ReleaseIds says that its
// removal is in the journal on the disk and its body file gone: before that, a crash could
// leave the old entry's record naming a new object's body.
//
// CacheTotalSize is what Normal entries take: the space of each body on the disk (its Length
// rounded up to the file system's block, SetBlockSize) and the POST data held in memory. Change
// Length, EntryType and LastAccessed of a listed entry only through SetLength, SetEntryType and
// SetLastAccessed so that the total and the eviction order stay right; change URL, ID or
// PostData only by Put.
// GUI thread only.
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

  // The file system's block in bytes (1, the default, counts bytes); the total is counted anew.
  void SetBlockSize(int64_t bytes);
  // The space a body of length bytes takes on the disk.
  int64_t SpaceOf(int64_t length) const { return (length + block_ - 1) / block_ * block_; }

  // The ID the next new entry takes: HighestCacheId + 1, or, once HighestCacheId is the largest
  // 32-bit value (read from a file), the lowest ID that no entry has and that is not retired,
  // so that an ID never overflows.
  int32_t PeekNextCacheId();
  // Takes PeekNextCacheId as the ID of a new entry; HighestCacheId rises to it.
  int32_t NextCacheId();
  // The removals of these IDs are on the disk: they may be given out again.
  void ReleaseIds(const std::vector<int32_t> &ids);
  // Forgets the retired IDs: their removals came from the files themselves (a load).
  void ReleaseAllIds();

  // Enters item under its ID. A new ID is appended at the end of the list; an ID already
  // listed has its entry overwritten in place, keeping its list position (a later record wins).
  // Raises HighestCacheId to the ID. Returns the listed entry.
  TCacheItem &Put(TCacheItem item);

  void SetLength(TCacheItem &item, int32_t length);
  void SetEntryType(TCacheItem &item, uint8_t type);
  void SetLastAccessed(TCacheItem &item, TDateTime when);

  // The entry an eviction takes: among Normal entries the one with the smallest LastAccessed,
  // the earliest in list order on a tie, provided that date is before `before`; nullptr when
  // there is none. An entry whose date is not a number is never chosen.
  TCacheItem *LeastRecentlyUsed(TDateTime before);

  // Takes the entry out of the list and the indexes, queues its removal for the journal, tells
  // every removal listener, and frees it. An unknown ID does nothing.
  void Remove(int32_t id);
  // The same for an entry whose body file stays where it is until the journal's flush that
  // writes its removal takes it away (an eviction).
  void Evict(int32_t id);
  // Takes the entry out and tells the listeners as Remove does, for an entry whose removal the
  // journal on the disk already holds: nothing is queued, and its ID is free at once. False for
  // an unknown ID.
  bool Drop(int32_t id);

  // Frees every entry (without telling listeners) and resets the total, the highest ID, the
  // retired IDs and the journal queue. The block size stays.
  void Clear();

  // Removal listeners are called with the ID of each removed entry after it has left the
  // index; they must not change the index. Returns a handle for RemoveRemovalListener.
  int AddRemovalListener(TRemovalListener listener);
  void RemoveRemovalListener(int handle);

  // Changes waiting to be appended to the journal, in queue order.
  std::vector<TJournalEvent> &JournalQueue() { return journal_queue_; }

  // Set by a load that met a damaged file; the save then skips the orphan clean-up.
  bool LoadDamaged = false;
  // Set by a load that met a damaged CACHE.DAT of which no copy could be kept: the save then
  // leaves CACHE.DAT (and the journal) as they are.
  bool KeepCacheFile = false;

private:
  struct Node {
    uint64_t seq; // rises with list position
    TCacheItem item;
    bool ordered = false;     // listed in order_
    TDateTime ordered_at = 0; // the LastAccessed it is listed under
  };
  // A place in the eviction order: by date, then by list position.
  struct OrderKey {
    TDateTime at;
    uint64_t seq;
    int32_t id;
    bool operator<(const OrderKey &other) const {
      return at < other.at || (at == other.at && seq < other.seq);
    }
  };
  struct ByteArrayHash {
    std::size_t operator()(const QByteArray &key) const { return qHash(key); }
  };
  using NodeIter = std::list<Node>::iterator;

  enum class TTake { Removed, Evicted, Dropped };
  bool Take(int32_t id, TTake how);
  void AddToUrlIndex(NodeIter node);
  void RemoveFromUrlIndex(NodeIter node);
  // Takes the entry out of the eviction order, and puts it back under its current date and type.
  void Unorder(Node &node);
  void Order(Node &node);
  Node *NodeOf(const TCacheItem &item);
  // What a Normal entry takes: its body's space on the disk and the POST data it holds in memory.
  int64_t CountedSize(const TCacheItem &item) const {
    return item.EntryType == Normal ? SpaceOf(item.Length) + static_cast<int64_t>(item.PostData.size()) : 0;
  }

  std::list<Node> list_;
  uint64_t next_seq_ = 0;
  std::unordered_map<int32_t, NodeIter> by_id_;
  std::unordered_map<QByteArray, std::vector<NodeIter>, ByteArrayHash> by_url_;
  std::set<OrderKey> order_;
  int64_t total_size_ = 0;
  int64_t block_ = 1;
  int32_t highest_id_ = 0;
  // Removed IDs whose removal is not yet on the disk.
  std::unordered_set<int32_t> retired_;
  // Once IDs are reused: every ID below reuse_from_ that is free and not retired is in free_ids_;
  // those from reuse_from_ on are looked at in turn.
  int32_t reuse_from_ = 1;
  std::set<int32_t> free_ids_;
  std::vector<TJournalEvent> journal_queue_;
  std::vector<std::pair<int, TRemovalListener>> listeners_;
  int next_listener_ = 1;
};

} // namespace ql
