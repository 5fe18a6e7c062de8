#include "proxy/engine/cache/cache_compaction.h"

#include "proxy/engine/cache/cache_record.h"

#include <chrono>

namespace ql {
namespace {

// The longest a Step puts entries into records before it lets the relay go on.
constexpr std::chrono::microseconds kSliceTime{1000};
// Records are kept in pieces of about this size, so that no piece is ever copied to grow.
constexpr qsizetype kPieceSize = 1 << 20;

} // namespace

void TCacheCompaction::Start(const TCacheIndex &index) {
  Reset();
  ids_ = index.Ids();
  NewPiece();
  pieces_.back().append('\x02');
  pieces_.back().append('\x10');
  state_ = TState::Slicing;
}

bool TCacheCompaction::Step(const TCacheIndex &index) {
  if (state_ != TState::Slicing)
    return false;
  const std::size_t end = std::min(ids_.size(), next_ + slice_);
  const auto deadline = std::chrono::steady_clock::now() + kSliceTime;
  for (; next_ < end; ++next_) {
    // An entry removed since Start is left out; its removal is in the journal after the mark.
    if (const TCacheItem *item = index.FindCacheItemById(ids_[next_]))
      AppendCacheRecord(pieces_.back(), *item);
    if (pieces_.back().size() >= kPieceSize)
      NewPiece();
    if (next_ % 64 == 63 && std::chrono::steady_clock::now() > deadline) {
      ++next_;
      break;
    }
  }
  return next_ == ids_.size();
}

std::vector<QByteArray> TCacheCompaction::TakePieces() {
  ids_ = {};
  next_ = 0;
  state_ = TState::Writing;
  return std::exchange(pieces_, {});
}

void TCacheCompaction::NewPiece() {
  // Room for a whole piece, or for what is left of a small index, with one record over.
  const qsizetype left = static_cast<qsizetype>(ids_.size() - next_) * 160;
  pieces_.emplace_back();
  pieces_.back().reserve(std::min(kPieceSize, left) + kCacheRecordHeadSize + 4 * kMaxCacheTextLength);
}

void TCacheCompaction::Reset() {
  state_ = TState::Idle;
  ids_ = {};
  next_ = 0;
  pieces_ = {};
}

} // namespace ql
