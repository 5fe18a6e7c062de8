#include "proxy/engine/cache/cache_compaction.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <unistd.h>

namespace ql {
namespace {

// The longest a Step puts entries into records before it lets the relay go on.
constexpr std::chrono::microseconds kSliceTime{1000};
// Records are kept in pieces of about this size, so that no piece is ever copied to grow.
constexpr qsizetype kPieceSize = 1 << 20;

// Writes the index file afresh under its temporary name, syncs it and puts it in place, on the
// disk. On any failure the temporary file is removed again and CACHE.DAT stays as it was.
bool ReplaceIndexFile(const QString &dir, const std::vector<QByteArray> &pieces) {
  const QByteArray temp = QFile::encodeName(QDir(dir).filePath(QLatin1String(kTempCacheFileName)));
  const QByteArray index = QFile::encodeName(QDir(dir).filePath(QLatin1String(kCacheFileName)));
  const int fd = CreateNewFile(temp);
  if (fd < 0)
    return false;
  bool ok = true;
  for (const QByteArray &piece : pieces)
    ok = ok && WriteAll(fd, piece.constData(), static_cast<std::size_t>(piece.size()));
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.constData(), index.constData()) == 0;
  if (!ok) {
    ::unlink(temp.constData());
    return false;
  }
  return SyncDirectory(dir);
}

} // namespace

void TCacheCompaction::Start(const TCacheIndex &index, const QString &dataDir, int64_t journalMark) {
  Abandon();
  dir_ = dataDir;
  journal_mark_ = journalMark;
  ids_ = index.Ids();
  next_ = 0;
  pieces_.clear();
  NewPiece();
  pieces_.back().append('\x02');
  pieces_.back().append('\x10');
  file_bytes_ = 0;
  state_ = TState::Working;
}

TCacheCompaction::TState TCacheCompaction::Step(const TCacheIndex &index) {
  if (state_ != TState::Working)
    return state_;
  if (next_ < ids_.size()) {
    const std::size_t end = std::min(ids_.size(), next_ + slice_);
    const auto deadline = std::chrono::steady_clock::now() + kSliceTime;
    for (; next_ < end; ++next_) {
      // An entry removed since Start is left out; its removal is in the journal after the mark.
      if (const TCacheItem *item = index.FindCacheItemById(ids_[next_]))
        AppendCacheRecord(pieces_.back(), *item);
      if (pieces_.back().size() >= kPieceSize) {
        file_bytes_ += pieces_.back().size();
        NewPiece();
      }
      if (next_ % 64 == 63 && std::chrono::steady_clock::now() > deadline) {
        ++next_;
        break;
      }
    }
    if (next_ == ids_.size()) {
      ids_ = {};
      file_bytes_ += pieces_.back().size();
      written_ = std::async(std::launch::async, [dir = dir_, pieces = std::move(pieces_)] {
        return ReplaceIndexFile(dir, pieces);
      });
      pieces_ = {};
    }
    return state_;
  }
  if (written_.valid() && written_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
    state_ = written_.get() ? TState::Ready : TState::Failed;
  return state_;
}

void TCacheCompaction::Abandon() {
  if (written_.valid())
    written_.wait();
  written_ = std::future<bool>();
  if (state_ == TState::Working)
    RemoveFileIfExists(QDir(dir_).filePath(QLatin1String(kTempCacheFileName)));
  Reset();
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
