#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace ql {

class TFileRecycler;

// One batch of the journal as the GUI thread hands it over: whole records, back to back.
struct TJournalBatch {
  QByteArray Records;
  std::vector<int32_t> Stored;  // entries whose records are here: their bodies go to the disk first
  std::vector<int32_t> Removed; // entries whose removal records are here
  std::vector<int32_t> Evicted; // of those, the entries whose bodies are still in the data directory
  // The stores and removals the batch carries.
  std::size_t Events() const { return Stored.size() + Removed.size(); }
};

// What the writer has to tell the GUI thread since it last asked.
struct TJournalReport {
  std::vector<int32_t> Released; // removals now on the disk
  std::vector<int32_t> Dropped;  // entries whose bodies could not be opened: their removals are
                                 // on the disk (or, at Close, given up with the rest), and the
                                 // entries leave the index
  QStringList Problems;          // failures and recoveries, for the engine log
  bool DiskFull = false;         // a write failed for want of space
  enum class TRewrite { None, Done, Failed } Rewrite = TRewrite::None;
};

// The time the writer spent making the cache's files durable, for the load bench.
struct TSyncCost {
  uint64_t Bodies = 0;       // body files synced
  uint64_t Flushes = 0;      // journal syncs
  uint64_t BodyNanos = 0;    // syncing bodies and the data directory
  uint64_t JournalNanos = 0; // writing and syncing the journal
};

// The steps of one flush, in their order (see TJournalWriter).
enum class TFlushStep { BodiesMovedAway, FolderSynced, BodiesSynced, RecordsSynced, IdsReleased, SparesKept };

// The journal CACHE.BAK on the disk, written on the cache's worker thread (TCacheWorker).
//
// Batches are staged, and written together by one flush once no further job waits in the
// worker's queue, so that a burst of stores costs one round of syncs. One flush does, in this
// order: it moves the bodies of the evicted entries out of the data directory (to the
// recycler, or removes them), syncs the data directory (the names of new bodies are in it, those
// of the bodies moved away are not), syncs the bodies the records list, appends the records and
// syncs them, reports the removals they carry as released, and only then gives the evicted
// bodies to the recycler as spares. So a record never reaches the disk ahead of its body's
// bytes, size or name, an evicted entry's ID is free again only once its removal is on the disk,
// and an evicted body's inode takes a new object's bytes only once no record on the disk names
// it. A body that cannot be opened for a cause other than its absence is dropped: the flush
// writes its removal after its record, logs the cause once, and reports the entry so that the
// index lets it go. A write or sync that fails is cut back off the file, logged once, and tried
// again with the next batch; a full disk is reported as such. The journal thus holds whole
// records only, and every record in it was synced.
//
// The journal is opened without following a link. A link found under its name (symbolic, or a
// file with a second name) is replaced by a journal of its own holding the whole records that a
// plain file there held, so that the link's target is never written.
//
// A rewrite of CACHE.DAT takes a mark of the journal first (Mark), then, once the GUI thread has
// put every entry into records, replaces CACHE.DAT with them and cuts the journal back to what
// came after the mark (ReplaceIndexFile): at every moment the files give the index as of the
// last batch written.
//
// Open, Stage, Flush, Mark, ReplaceIndexFile and Close run on the worker thread; the rest may
// be called from any thread. Owns the journal's descriptor; the recycler, when given, must
// outlive it.
class TJournalWriter {
public:
  explicit TJournalWriter(TFileRecycler *recycler = nullptr) : recycler_(recycler) {}
  TJournalWriter(const TJournalWriter &) = delete;
  TJournalWriter &operator=(const TJournalWriter &) = delete;
  ~TJournalWriter() { Close(); }

  // GUI thread: a batch of this many events (TJournalBatch::Events) is on its way to Stage.
  void Handed(std::size_t events) { behind_ += events; }
  // The events handed over and neither written nor given up since.
  std::size_t Behind() const { return behind_; }

  // Works on the files of dataDir from now on (empty: none); closes what was open.
  void Open(const QString &dataDir);
  // Takes a batch; the next flush writes it.
  void Stage(TJournalBatch batch);
  // Writes what is staged (and what failed before) now, in the order above.
  void Flush();
  // Flushes when a batch was staged since the last flush: a batch that failed is tried again
  // with the next one.
  void FlushStaged();
  // Writes what is staged, then notes the journal's size as the start of a rewrite.
  void Mark();
  // Writes CACHE.DAT afresh from pieces (the header bytes and the records, by way of
  // TMPCACHE.DAT) and cuts the journal back to what came after the mark.
  void ReplaceIndexFile(const std::vector<QByteArray> &pieces);
  // Writes what is staged and closes the file; what could not be written is given up, and the
  // stored entries whose bodies cannot be opened are reported dropped even then.
  void Close();

  // What happened since the last call.
  TJournalReport TakeReport();
  // Called on the worker thread when a report waits (a failure, a dropped body or a rewrite's
  // end).
  void SetWake(std::function<void()> wake);
  // The bytes in CACHE.BAK (-1 before the file was first opened), and in CACHE.DAT.
  int64_t Size() const { return size_; }
  int64_t IndexBytes() const { return index_bytes_; }
  TSyncCost Cost();

  // Test hook: while not 0, every journal write fails with this error (ENOSPC: a full disk).
  static void FailWritesForTest(int error);
  // Test hook: called on the worker thread after each step of a flush. A hook that waits
  // stands for a disk that stalls there. Set it while the worker is idle.
  void SetStepHookForTest(std::function<void(TFlushStep)> hook) { step_hook_ = std::move(hook); }

private:
  bool OpenFile();
  void CloseFile();
  // Puts a journal of its own in place of what is under the journal's name (a link).
  bool ReplaceLinkedJournal();
  // Makes records the whole journal, by way of TMPCACHE.DAT, and appends to it from now on.
  bool RewriteJournal(const QByteArray &records);
  void MoveEvictedBodies();
  bool SyncFolder();
  bool SyncBodies();
  bool WriteRecords();
  bool CutJournal(int64_t mark);
  void Failed(const QString &what, int error);
  void Report(const std::function<void(TJournalReport &)> &change, bool wake);
  void Step(TFlushStep step);
  QByteArray BodyPath(int32_t id) const;

  TFileRecycler *recycler_;
  std::atomic<std::size_t> behind_{0};
  QString dir_;
  int fd_ = -1;
  int dir_fd_ = -1;
  std::atomic<int64_t> size_{-1};
  std::atomic<int64_t> index_bytes_{0};
  int64_t mark_ = -1;
  int64_t cut_to_ = -1; // the size to cut the file back to when it is opened again
  // Written nowhere yet: staged batches, and those whose write failed, in order.
  TJournalBatch waiting_;
  std::size_t waiting_events_ = 0;    // the events of the batches in waiting_
  std::vector<int32_t> dropped_;      // bodies dropped by the flush under way
  std::vector<QByteArray> withdrawn_; // evicted bodies moved away, not yet spares
  bool folder_changed_ = false;       // bodies moved away since the data directory was synced
  std::set<int> drop_causes_;         // the causes of dropped bodies logged in this run
  bool failing_ = false;              // the last write failed; the next success is logged
  bool staged_ = false;               // a batch was staged since the last flush
  std::function<void(TFlushStep)> step_hook_;

  std::mutex mutex_; // guards report_, wake_ and cost_
  TJournalReport report_;
  std::function<void()> wake_;
  TSyncCost cost_;
};

} // namespace ql
