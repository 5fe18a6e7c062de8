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

// Writes the whole file afresh and syncs it; on any failure the file is removed again.
bool WriteSyncedFile(const QByteArray &path, const QByteArray &bytes) {
  const int fd = CreateNewFile(path);
  if (fd < 0)
    return false;
  bool ok = WriteAll(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok)
    ::unlink(path.constData());
  return ok;
}

} // namespace

void TCacheCompaction::Start(const TCacheIndex &index, const QString &dataDir, int64_t journalMark) {
  Abandon();
  temp_path_ = QDir(dataDir).filePath(QLatin1String(kTempCacheFileName));
  journal_mark_ = journalMark;
  ids_ = index.Ids();
  next_ = 0;
  records_.clear();
  records_.reserve(static_cast<qsizetype>(2 + ids_.size() * (kCacheRecordHeadSize + 64)));
  records_.append('\x02');
  records_.append('\x10');
  state_ = TState::Working;
}

TCacheCompaction::TState TCacheCompaction::Step(const TCacheIndex &index) {
  if (state_ != TState::Working)
    return state_;
  if (next_ < ids_.size()) {
    const std::size_t end = std::min(ids_.size(), next_ + slice_);
    for (; next_ < end; ++next_) {
      // An entry removed since Start is left out; its removal is in the journal after the mark.
      if (const TCacheItem *item = index.FindCacheItemById(ids_[next_]))
        AppendCacheRecord(records_, *item);
    }
    if (next_ == ids_.size()) {
      ids_ = {};
      file_bytes_ = records_.size();
      written_ =
          std::async(std::launch::async, [path = QFile::encodeName(temp_path_), bytes = std::move(records_)] {
            return WriteSyncedFile(path, bytes);
          });
      records_ = QByteArray();
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
  if (state_ != TState::Idle)
    RemoveFileIfExists(temp_path_);
  Reset();
}

void TCacheCompaction::Reset() {
  state_ = TState::Idle;
  ids_ = {};
  next_ = 0;
  records_ = QByteArray();
}

} // namespace ql
