#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace ql {

// One batch of the journal as the GUI thread hands it over: whole records, back to back.
struct TJournalBatch {
  QByteArray Records;
  std::vector<int32_t> Stored;  // entries whose records are here: their bodies go to the disk first
  std::vector<int32_t> Removed; // entries whose removal records are here
};

// What the writer has to tell the GUI thread since it last asked.
struct TJournalReport {
  std::vector<int32_t> Released; // removals now on the disk
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

// The journal CACHE.BAK on the disk, written on the cache's worker thread (TCacheWorker).
//
// Batches are staged and written together once no further batch waits in the worker's queue,
// so that a burst of stores costs one round of syncs. Before a batch's records are written, the
// data directory is synced (the names of new bodies are in it, those of bodies moved away are
// not) and then the bodies the records list, so that a record never reaches the disk ahead of
// its body's bytes, size or name. The records are then appended and synced; only then are the
// removals they carry reported as released. A write or sync that fails is cut back off the file,
// logged once, and tried again with the next batch; a full disk is reported as such. The journal
// thus holds whole records only, and every record in it was synced.
//
// A rewrite of CACHE.DAT takes a mark of the journal first (Mark), then, once the GUI thread has
// put every entry into records, replaces CACHE.DAT with them and cuts the journal back to what
// came after the mark (ReplaceIndexFile): at every moment the files give the index as of the
// last batch written.
//
// Open, Stage, Flush, Mark, ReplaceIndexFile and Close run on the worker thread; the rest may
// be called from any thread. Owns the journal's descriptor.
class TJournalWriter {
public:
  TJournalWriter() = default;
  TJournalWriter(const TJournalWriter &) = delete;
  TJournalWriter &operator=(const TJournalWriter &) = delete;
  ~TJournalWriter() { Close(); }

  // GUI thread: a batch is on its way to Stage.
  void Announce() { ++announced_; }

  // Works on the files of dataDir from now on (empty: none); closes what was open.
  void Open(const QString &dataDir);
  // Takes an announced batch; writes everything staged when no other batch is announced.
  void Stage(TJournalBatch batch);
  // Writes what is staged (and what failed before) now.
  void Flush();
  // Writes what is staged, then notes the journal's size as the start of a rewrite.
  void Mark();
  // Writes CACHE.DAT afresh from pieces (the header bytes and the records, by way of
  // TMPCACHE.DAT) and cuts the journal back to what came after the mark.
  void ReplaceIndexFile(const std::vector<QByteArray> &pieces);
  // Writes what is staged and closes the file.
  void Close();

  // What happened since the last call.
  TJournalReport TakeReport();
  // Called on the worker thread when a report waits (a failure or a rewrite's end).
  void SetWake(std::function<void()> wake);
  // Called on the worker thread between two body syncs, for work that must not wait for all.
  void SetBetweenSyncs(std::function<void()> between) { between_ = std::move(between); }
  // The bytes in CACHE.BAK (-1 before the file was first opened), and in CACHE.DAT.
  int64_t Size() const { return size_; }
  int64_t IndexBytes() const { return index_bytes_; }
  TSyncCost Cost();

  // Test hook: while not 0, every journal write fails with this error (ENOSPC: a full disk).
  static void FailWritesForTest(int error);

private:
  bool OpenFile();
  void CloseFile();
  bool SyncBodies(const std::vector<int32_t> &ids);
  bool CutJournal(int64_t mark);
  void Failed(const QString &what, int error);
  void Report(const std::function<void(TJournalReport &)> &change, bool wake);

  std::function<void()> between_;
  std::atomic<int> announced_{0};
  QString dir_;
  int fd_ = -1;
  int dir_fd_ = -1;
  std::atomic<int64_t> size_{-1};
  std::atomic<int64_t> index_bytes_{0};
  int64_t mark_ = -1;
  int64_t cut_to_ = -1; // the size to cut the file back to when it is opened again
  // Written nowhere yet: staged batches, and those whose write failed, in order.
  TJournalBatch waiting_;
  bool failing_ = false; // the last write failed; the next success is logged

  std::mutex mutex_; // guards report_, wake_ and cost_
  TJournalReport report_;
  std::function<void()> wake_;
  TSyncCost cost_;
};

} // namespace ql
