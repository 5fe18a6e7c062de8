#include "proxy/engine/cache/cache_journal.h"

#include "proxy/engine/cache/cache_record.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <utility>

#include <unistd.h>

namespace ql {

TCacheJournal::TCacheJournal(TCacheIndex &index, TCacheWorker &worker, TFileRecycler *recycler)
    : index_(index), worker_(worker), writer_(std::make_unique<TJournalWriter>(recycler)) {
  worker_.SetIdleJob([writer = writer_.get()] { writer->FlushStaged(); });
}

TCacheJournal::~TCacheJournal() {
  Close();
  worker_.SetIdleJob({});
}

void TCacheJournal::SetProblemHandlers(std::function<void(const QString &)> log,
                                       std::function<void()> diskFull) {
  log_ = std::move(log);
  disk_full_ = std::move(diskFull);
}

void TCacheJournal::SetCompactionForTest(int64_t floor, std::size_t slice) {
  floor_ = floor;
  compaction_.SetSliceSize(slice);
}

void TCacheJournal::Open(const QString &dataDir) {
  Close();
  dir_ = dataDir;
  stores_ = 0;
  stopped_ = false;
  next_compaction_ = 0;
  open_ = !dataDir.isEmpty();
  worker_.Post([writer = writer_.get(), dataDir] { writer->Open(dataDir); });
}

void TCacheJournal::Flush() {
  if (open_ && !stopped_)
    HandOver();
}

void TCacheJournal::Close() {
  Flush();
  // A rewrite whose records are not yet with the writer is given up; one that is, ends.
  if (compaction_.State() == TCacheCompaction::TState::Slicing)
    compaction_.Finished();
  open_ = false;
  worker_.Post([writer = writer_.get()] { writer->Close(); });
  Wait();
  compaction_.Finished();
}

void TCacheJournal::Wait() {
  worker_.Wait();
  Collect();
}

void TCacheJournal::Collect() {
  TJournalReport report = writer_->TakeReport();
  index_.ReleaseIds(report.Released);
  // A dropped entry's removal is in the journal already: it leaves without another, and its
  // body's name goes with it (a link in its place goes, never what it leads to).
  const QDir dir(dir_);
  for (const int32_t id : report.Dropped) {
    if (index_.Drop(id))
      ::unlink(QFile::encodeName(dir.filePath(BodyFileName(id))).constData());
  }
  if (log_) {
    for (const QString &line : std::as_const(report.Problems))
      log_(line);
  }
  if (report.DiskFull && disk_full_)
    disk_full_();
  if (report.Rewrite == TJournalReport::TRewrite::Failed)
    next_compaction_ = 2 * std::max<int64_t>(writer_->Size(), 0);
  if (report.Rewrite != TJournalReport::TRewrite::None)
    compaction_.Finished();
}

void TCacheJournal::Add(int32_t id, bool diskFull) {
  index_.JournalQueue().push_back(TJournalEvent{id, false});
  ++stores_;
  Collect();
  if (compaction_.State() == TCacheCompaction::TState::Slicing)
    AdvanceCompaction();
  if (stopped_ || stores_ < kJournalBatch)
    return;
  if (diskFull) {
    Stop();
    return;
  }
  HandOver();
  if (DueForCompaction()) {
    compaction_.Start(index_);
    worker_.Post([writer = writer_.get()] { writer->Mark(); });
  }
}

void TCacheJournal::Stop() {
  stopped_ = true;
  if (compaction_.State() == TCacheCompaction::TState::Slicing)
    compaction_.Finished();
  const QDir dir(dir_);
  for (TJournalEvent &event : index_.JournalQueue()) {
    if (std::exchange(event.Evicted, false) && open_)
      ::unlink(QFile::encodeName(dir.filePath(BodyFileName(event.ID))).constData());
  }
}

void TCacheJournal::HandOver() {
  std::vector<TJournalEvent> &queue = index_.JournalQueue();
  stores_ = 0;
  if (queue.empty())
    return;
  if (!open_) {
    // No files to keep: the removals stay retired, as they never reach a disk.
    queue.clear();
    return;
  }
  TJournalBatch batch;
  for (const TJournalEvent &event : queue) {
    if (event.Removed) {
      AppendRemovalRecord(batch.Records, event.ID);
      batch.Removed.push_back(event.ID);
      if (event.Evicted)
        batch.Evicted.push_back(event.ID);
    } else if (const TCacheItem *item = index_.FindCacheItemById(event.ID);
               item && AppendCacheRecord(batch.Records, *item)) {
      batch.Stored.push_back(event.ID);
    }
  }
  queue.clear();
  writer_->Handed(batch.Events());
  worker_.Post(
      [writer = writer_.get(), batch = std::move(batch)]() mutable { writer->Stage(std::move(batch)); });
}

bool TCacheJournal::DueForCompaction() const {
  const int64_t size = writer_->Size();
  if (size < 0 || index_.KeepCacheFile || compaction_.Running())
    return false;
  return size > kCompactFactor * std::max(writer_->IndexBytes(), floor_) && size > next_compaction_;
}

void TCacheJournal::AdvanceCompaction() {
  if (!compaction_.Step(index_))
    return;
  // The pieces copy the entries as they stand now, with changes no batch has carried yet: those
  // go to the worker first, so that the new CACHE.DAT holds nothing the journal does not, and no
  // record whose body is not yet on the disk.
  HandOver();
  worker_.Post(
      [writer = writer_.get(), pieces = compaction_.TakePieces()] { writer->ReplaceIndexFile(pieces); });
}

} // namespace ql
