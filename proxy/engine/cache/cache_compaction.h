#pragma once

#include "proxy/engine/cache/cache_index.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <future>
#include <vector>

namespace ql {

// Rewrites the index file while the program runs, about a millisecond of work per call, so that
// the relay never waits for the whole of it. The entries are put into records a slice at a time on
// the GUI thread (Step), in list order as they stand at that moment; a worker thread then writes
// the records to TMPCACHE.DAT, syncs it, renames it over CACHE.DAT and syncs the directory. The
// caller (TCacheJournal) cuts the journal once Step reports Ready.
//
// Entries change while the slices are written, so the new file holds each entry as it stood at
// some moment after Start. Every change after Start reaches the journal after the mark that
// Start took, so the new CACHE.DAT plus the journal from the mark on gives the index exactly.
//
// Owns the worker and the temporary file until Ready or Abandon; the index is not owned. GUI
// thread only, apart from the worker.
class TCacheCompaction {
public:
  enum class TState {
    Idle,    // nothing under way
    Working, // slices left to write, or the worker still writing
    Ready,   // CACHE.DAT is the new file, on the disk; FileBytes tells its size
    Failed   // the file could not be written or put in place; CACHE.DAT is as it was
  };

  TCacheCompaction() = default;
  TCacheCompaction(const TCacheCompaction &) = delete;
  TCacheCompaction &operator=(const TCacheCompaction &) = delete;
  ~TCacheCompaction() { Abandon(); }

  // Begins a rewrite of dataDir's CACHE.DAT (by way of TMPCACHE.DAT). journalMark is the
  // journal's size now: what it holds up to there is in the index as it stands.
  void Start(const TCacheIndex &index, const QString &dataDir, int64_t journalMark);
  // Puts the next slice of entries into records, or, once all are done, checks on the worker.
  TState Step(const TCacheIndex &index);
  TState State() const { return state_; }
  bool Running() const { return state_ == TState::Working; }
  int64_t JournalMark() const { return journal_mark_; }
  int64_t FileBytes() const { return file_bytes_; }
  // Back to Idle after Ready or Failed; stops what is under way: waits for the worker and
  // removes TMPCACHE.DAT if it is still there.
  void Abandon();

  // The most entries put into records per Step (each Step also stops after about a
  // millisecond). A test may make it small.
  void SetSliceSize(std::size_t entries) { slice_ = entries; }

private:
  void Reset();
  void NewPiece();

  TState state_ = TState::Idle;
  QString dir_;
  int64_t journal_mark_ = 0;
  int64_t file_bytes_ = 0;
  std::vector<int32_t> ids_;
  std::size_t next_ = 0;
  std::vector<QByteArray> pieces_; // the records so far, in order
  std::future<bool> written_;
  std::size_t slice_ = 1 << 20;
};

} // namespace ql
