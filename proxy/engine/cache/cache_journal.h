#pragma once

#include "proxy/engine/cache/cache_compaction.h"
#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_worker.h"
#include "proxy/engine/cache/journal_writer.h"

#include <QString>

#include <functional>
#include <memory>

namespace ql {

// Stores go to the journal CACHE.BAK ten at a time, so that a crash loses at most the last nine
// (and those whose batch the worker has not yet written).
inline constexpr std::size_t kJournalBatch = 10;
// The journal is compacted once it is this many times the size of CACHE.DAT...
inline constexpr int64_t kCompactFactor = 4;
// ...or of this many bytes, when CACHE.DAT is smaller.
inline constexpr int64_t kCompactFloor = 256 * 1024;
// The most stores and removals handed to the worker and not yet written: beyond, the worker is
// behind (a disk that stalls in a sync), and new downloads are relayed without being stored.
// Far more than a busy relay hands over while the worker syncs a batch.
inline constexpr std::size_t kMaxJournalBacklog = 16384;

// The journal CACHE.BAK of the index in a data directory: every store and every removal of an
// entry is appended to it, so that a restart after a crash lists what the cache holds.
//
// Add queues a store; the index queues removals and evictions itself. Once the queue holds ten
// stores and the disk is not full, the batch (the removals queued meanwhile with it, and the
// names of the evicted entries' bodies) is put into records as the entries stand and handed to
// the cache's worker thread, whose one flush moves the evicted bodies away, syncs the bodies it
// lists, appends the records and syncs them, and only then makes the evicted bodies spares
// (TJournalWriter). The IDs whose removals it carries are released for reuse once it is on the
// disk (Collect); entries whose bodies could not be opened leave the index then. While the disk
// is full at a batch, nothing more is written in this run (an evicted body is then removed at
// once); the save at exit writes every entry. A batch the writer could not write is logged and
// written with the next one.
//
// When the journal outgrows kCompactFactor times CACHE.DAT (or kCompactFloor), CACHE.DAT is
// rewritten while the program runs (TCacheCompaction, a slice per Add), and the journal starts
// again with the records written since the rewrite began.
//
// Not owner of the index, the worker or the recycler (which takes the evicted bodies; without
// one they are removed), which must outlive it; owns the writer, whose flush is the worker's idle
// job. GUI thread only.
class TCacheJournal {
public:
  TCacheJournal(TCacheIndex &index, TCacheWorker &worker, TFileRecycler *recycler = nullptr);
  TCacheJournal(const TCacheJournal &) = delete;
  TCacheJournal &operator=(const TCacheJournal &) = delete;
  ~TCacheJournal();

  // Works on the files of dataDir from now on (an empty name: none), after closing.
  void Open(const QString &dataDir);
  // Queues a store of the entry with this ID and hands the batch over when it is due.
  void Add(int32_t id, bool diskFull);
  // Hands over what the queue holds now, due or not (not while the disk is full).
  void Flush();
  // Hands over what the queue holds, due or not; then, once the worker has written it, closes
  // the file. Waits for the worker's work.
  void Close();
  // Returns once the worker has done what it was handed, and collects its reports.
  void Wait();
  // Takes the writer's reports: releases the IDs whose removals are on the disk, lets the
  // entries whose bodies could not be opened leave the index (their IDs free, their body names
  // removed, no second removal queued), passes problems to the handlers, and follows a rewrite
  // of CACHE.DAT.
  void Collect();

  // Where problems go: lines for the engine log, and a full disk (the owner's, which has the
  // fallback when the program gives none). Without them, problems are not told.
  void SetProblemHandlers(std::function<void(const QString &)> log, std::function<void()> diskFull);
  // Called on the worker's thread when a report waits that should not wait for the next store
  // (a failure, a dropped body): the owner schedules Collect on the GUI thread.
  void SetWake(std::function<void()> wake) { writer_->SetWake(std::move(wake)); }

  // Batches are handed over and written: false while there are no files or the disk was full.
  bool Recording() const { return open_ && !stopped_; }
  // The worker is more than kMaxJournalBacklog stores and removals behind.
  bool Backlogged() const { return writer_->Behind() > backlog_bound_; }

  // The bytes in CACHE.BAK as far as the writer has got (-1 before the first batch).
  int64_t Size() const { return writer_->Size(); }
  // A rewrite of CACHE.DAT is under way.
  bool Compacting() const { return compaction_.Running(); }
  TSyncCost Cost() const { return writer_->Cost(); }
  // Lowers the compaction floor and the slice of a rewrite, so that tests can reach them.
  void SetCompactionForTest(int64_t floor, std::size_t slice);
  // Lowers kMaxJournalBacklog, so that tests can reach it.
  void SetBacklogBoundForTest(std::size_t events) { backlog_bound_ = events; }
  // See TJournalWriter::SetStepHookForTest; waits for the worker to be idle first.
  void SetStepHookForTest(std::function<void(TFlushStep)> hook) {
    worker_.Wait();
    writer_->SetStepHookForTest(std::move(hook));
  }

private:
  void HandOver();
  // The disk is full: nothing more is handed over, and the bodies of queued evictions go now.
  void Stop();
  bool DueForCompaction() const;
  void AdvanceCompaction();

  TCacheIndex &index_;
  TCacheWorker &worker_;
  std::unique_ptr<TJournalWriter> writer_;
  QString dir_;
  int64_t next_compaction_ = 0;
  int64_t floor_ = kCompactFloor;
  std::size_t backlog_bound_ = kMaxJournalBacklog;
  std::size_t stores_ = 0; // stores in the queue
  bool stopped_ = false;   // the disk was full at a batch: nothing more this run
  bool open_ = false;      // the writer has files to work on
  TCacheCompaction compaction_;
  std::function<void(const QString &)> log_;
  std::function<void()> disk_full_;
};

} // namespace ql
