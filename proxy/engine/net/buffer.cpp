#include "proxy/engine/net/buffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ql {

std::size_t TBufferItem::Add(const char *bytes, std::size_t n) {
  const std::size_t taken = std::min(n, Room());
  if (taken > 0) {
    std::memcpy(block_.data() + count_, bytes, taken);
    count_ += taken;
  }
  return taken;
}

std::size_t TBufferItem::ReadOldest(char *dest, std::size_t n) const {
  const std::size_t given = std::min(n, count_);
  if (given > 0) {
    std::memcpy(dest, block_.data(), given);
  }
  return given;
}

std::size_t TBufferItem::RemoveOldest(std::size_t n) {
  if (n > count_) {
    count_ = 0;
    return 0;
  }
  std::memmove(block_.data(), block_.data() + n, count_ - n);
  count_ -= n;
  return n;
}

std::size_t TBufferItem::Read(char *dest, std::size_t n) const {
  const std::size_t given = std::min(n, count_);
  if (given > 0) {
    std::memcpy(dest, block_.data() + count_ - given, given);
  }
  return given;
}

std::size_t TBufferItem::Remove(std::size_t n) {
  if (n > count_) {
    count_ = 0;
    return 0;
  }
  count_ -= n;
  return n;
}

std::size_t TBufferItem::AddToBottom(const char *bytes, std::size_t n) {
  const std::size_t taken = std::min(n, Room());
  if (taken > 0) {
    std::memmove(block_.data() + taken, block_.data(), count_);
    std::memcpy(block_.data(), bytes + n - taken, taken);
    count_ += taken;
  }
  return taken;
}

namespace {

std::vector<std::unique_ptr<TBufferItem>> &ChunkPool() {
  thread_local std::vector<std::unique_ptr<TBufferItem>> pool;
  return pool;
}

} // namespace

TBuffer::~TBuffer() {
  for (auto &chunk : items_) {
    ReleaseChunk(std::move(chunk));
  }
}

std::unique_ptr<TBufferItem> TBuffer::TakeChunk() {
  auto &pool = ChunkPool();
  if (pool.empty()) {
    return std::make_unique<TBufferItem>();
  }
  std::unique_ptr<TBufferItem> chunk = std::move(pool.back());
  pool.pop_back();
  return chunk;
}

void TBuffer::ReleaseChunk(std::unique_ptr<TBufferItem> chunk) {
  auto &pool = ChunkPool();
  if (pool.size() < kPooledChunks) {
    chunk->RemoveOldest(chunk->Count());
    pool.push_back(std::move(chunk));
  }
}

TBufferItem &TBuffer::NewBufferItem() {
  items_.push_back(TakeChunk());
  return *items_.back();
}

TBufferItem &TBuffer::NewBottomBufferItem() {
  items_.push_front(TakeChunk());
  return *items_.front();
}

void TBuffer::DropOldestChunk() {
  std::unique_ptr<TBufferItem> oldest = std::move(items_.front());
  items_.pop_front();
  ReleaseChunk(std::move(oldest));
}

void TBuffer::DropNewestChunk() {
  std::unique_ptr<TBufferItem> newest = std::move(items_.back());
  items_.pop_back();
  ReleaseChunk(std::move(newest));
}

void TBuffer::Add(const char *bytes, std::size_t n) {
  TBufferItem *newest = items_.empty() ? &NewBufferItem() : items_.back().get();
  std::size_t done = newest->Add(bytes, n);
  while (done < n) {
    done += NewBufferItem().Add(bytes + done, n - done);
  }
  size_ += n;
}

std::size_t TBuffer::ReadOldest(char *dest, std::size_t n) const {
  std::size_t done = 0;
  for (auto it = items_.begin(); it != items_.end() && done < n; ++it) {
    done += (*it)->ReadOldest(dest + done, n - done);
  }
  return done;
}

std::size_t TBuffer::RemoveOldest(std::size_t n) {
  std::size_t done = 0;
  while (done < n && !items_.empty()) {
    TBufferItem &oldest = *items_.front();
    const std::size_t want = n - done;
    if (want >= oldest.Count()) {
      done += oldest.Count();
      DropOldestChunk();
    } else {
      done += oldest.RemoveOldest(want);
    }
  }
  size_ -= done;
  return done;
}

bool TBuffer::IsDirty() const {
  return size_ > 0;
}

std::size_t TBuffer::Read(char *dest, std::size_t n) const {
  const std::size_t want = std::min(n, size_);
  // Walks back from the newest chunk, filling dest from its end.
  std::size_t done = 0;
  for (auto it = items_.rbegin(); it != items_.rend() && done < want; ++it) {
    done += (*it)->Read(dest + want - done - std::min(want - done, (*it)->Count()), want - done);
  }
  return done;
}

std::size_t TBuffer::Remove(std::size_t n) {
  std::size_t done = 0;
  while (done < n && !items_.empty()) {
    TBufferItem &newest = *items_.back();
    const std::size_t want = n - done;
    if (want >= newest.Count()) {
      done += newest.Count();
      DropNewestChunk();
    } else {
      done += newest.Remove(want);
    }
  }
  size_ -= done;
  return done;
}

void TBuffer::AddToBottom(const char *bytes, std::size_t n) {
  TBufferItem *oldest = items_.empty() ? &NewBottomBufferItem() : items_.front().get();
  std::size_t left = n - oldest->AddToBottom(bytes, n);
  while (left > 0) {
    left -= NewBottomBufferItem().AddToBottom(bytes, left);
  }
  size_ += n;
}

void TBuffer::AddBuffer(const TBuffer &other) {
  // By index over the chunks there now, so that a queue can append a copy of itself.
  const std::size_t chunks = other.items_.size();
  for (std::size_t i = 0; i < chunks; ++i) {
    const TBufferItem &chunk = *other.items_[i];
    std::array<char, TBufferItem::kSize> bytes;
    const std::size_t n = chunk.ReadOldest(bytes.data(), chunk.Count());
    NewBufferItem().Add(bytes.data(), n);
    size_ += n;
  }
}

} // namespace ql
