#pragma once

#include "proxy/engine/cache/cache_index.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace ql {

// Puts the whole index into the records of a new CACHE.DAT while the program runs, about a
// millisecond of work per Step, so that the relay never waits for all of it. The entries go
// into records a slice at a time, in list order as they stand at that moment; the journal's
// writer then replaces CACHE.DAT with them on the cache's worker thread (TJournalWriter).
//
// Entries change while the slices are written, so the new file holds each entry as it stood at
// some moment after Start. Every change after Start reaches the journal after the mark that the
// writer takes when the rewrite starts, so the new CACHE.DAT plus the journal from the mark on
// gives the index exactly.
//
// The index is not owned. GUI thread only.
class TCacheCompaction {
public:
  enum class TState {
    Idle,    // nothing under way
    Slicing, // entries left to put into records
    Writing  // the records are with the writer
  };

  TCacheCompaction() = default;
  TCacheCompaction(const TCacheCompaction &) = delete;
  TCacheCompaction &operator=(const TCacheCompaction &) = delete;

  // Begins putting the index into records.
  void Start(const TCacheIndex &index);
  // Puts the next slice of entries into records. True once all are in: TakePieces then.
  bool Step(const TCacheIndex &index);
  // The header bytes and the records, in pieces; the rewrite is Writing from now on.
  std::vector<QByteArray> TakePieces();
  // The writer has ended the rewrite, or it was given up: back to Idle.
  void Finished() { Reset(); }
  TState State() const { return state_; }
  bool Running() const { return state_ != TState::Idle; }

  // The most entries put into records per Step (each Step also stops after about a
  // millisecond). A test may make it small.
  void SetSliceSize(std::size_t entries) { slice_ = entries; }

private:
  void Reset();
  void NewPiece();

  TState state_ = TState::Idle;
  std::vector<int32_t> ids_;
  std::size_t next_ = 0;
  std::vector<QByteArray> pieces_; // the records so far, in order
  std::size_t slice_ = 1 << 20;
};

} // namespace ql
