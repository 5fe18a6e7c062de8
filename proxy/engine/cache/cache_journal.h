#pragma once

#include "proxy/engine/cache/cache_compaction.h"
#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/journal_syncer.h"

#include <QString>

namespace ql {

// Stores go to the journal CACHE.BAK ten at a time, so that a crash loses at most the last nine.
inline constexpr std::size_t kJournalBatch = 10;
// The journal is compacted once it is this many times the size of CACHE.DAT...
inline constexpr int64_t kCompactFactor = 4;
// ...or of this many bytes, when CACHE.DAT is smaller.
inline constexpr int64_t kCompactFloor = 256 * 1024;

// The journal CACHE.BAK of the index in a data directory: every store and every removal of an
// entry is appended to it, so that a restart after a crash lists what the cache holds.
//
// Add queues a store; the index queues removals itself. Once the queue holds ten stores and the
// disk is not full, the batch is appended with the removals queued meanwhile in one write, the
// queue is emptied, and the batch is synced on a thread of its own (TJournalSyncer). (A removal that a crash
// loses leaves an entry whose body is gone, which the next start drops.) A write that falls short cuts the
// file back to its last whole record, so the journal never ends in a torn record. While the disk is full at a
// batch, nothing is written and the queue keeps growing for the rest of the run; the save at exit writes
// every entry.
//
// When the journal outgrows kCompactFactor times CACHE.DAT (or kCompactFloor), CACHE.DAT is
// rewritten from the index while the program runs (TCacheCompaction, a slice per Add), and the
// journal starts again with the records written since the rewrite began. At every moment the
// files on the disk give the index as of the last whole batch: the new CACHE.DAT is renamed
// into place only once synced, and the old journal is replaced by its tail only after that.
//
// Keeps CACHE.BAK open from its first batch until Close. Not owner of the index. GUI thread only.
class TCacheJournal {
public:
  explicit TCacheJournal(TCacheIndex &index) : index_(index) {}
  TCacheJournal(const TCacheJournal &) = delete;
  TCacheJournal &operator=(const TCacheJournal &) = delete;
  ~TCacheJournal() { Close(); }

  // Works on the files of dataDir from now on (an empty name: none). Closes what was open; the
  // files' sizes are read when the first batch goes out.
  void Open(const QString &dataDir);
  // Queues a store of the entry with this ID and writes the batch when it is due. False when a
  // batch could not be written whole.
  bool Add(int32_t id, bool diskFull);
  // Stops a rewrite under way and closes the journal; before the save at exit.
  void Close();

  // The bytes in CACHE.BAK, as far as this journal has seen (-1 before the first batch).
  int64_t Size() const { return size_; }
  // A rewrite of CACHE.DAT is under way.
  bool Compacting() const { return compaction_.Running(); }
  // Lowers the compaction floor and the slice of a rewrite, so that tests can reach them.
  void SetCompactionForTest(int64_t floor, std::size_t slice);

private:
  bool OpenFile();
  bool WriteBatch();
  void AdvanceCompaction();
  bool SwitchToCompactedFile();
  bool DueForCompaction() const;

  TCacheIndex &index_;
  QString dir_;
  int fd_ = -1;
  int64_t size_ = -1;       // bytes in CACHE.BAK
  int64_t index_bytes_ = 0; // bytes in CACHE.DAT
  int64_t next_compaction_ = 0;
  int64_t floor_ = kCompactFloor;
  std::size_t stores_ = 0; // stores in the queue
  bool stopped_ = false;   // the disk was full at a batch: nothing more this run
  TCacheCompaction compaction_;
  TJournalSyncer syncer_;
};

} // namespace ql
