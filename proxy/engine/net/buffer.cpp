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

namespace {

std::vector<std::unique_ptr<TBufferItem>> &ChunkPool() {
  thread_local std::vector<std::unique_ptr<TBufferItem>> pool;
  return pool;
}

} // namespace

TBufferItem &TBuffer::NewBufferItem() {
  auto &pool = ChunkPool();
  if (pool.empty()) {
    items_.push_back(std::make_unique<TBufferItem>());
  } else {
    items_.push_back(std::move(pool.back()));
    pool.pop_back();
  }
  return *items_.back();
}

void TBuffer::DropOldestChunk() {
  std::unique_ptr<TBufferItem> oldest = std::move(items_.front());
  items_.pop_front();
  auto &pool = ChunkPool();
  if (pool.size() < kPooledChunks) {
    oldest->RemoveOldest(oldest->Count());
    pool.push_back(std::move(oldest));
  }
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

} // namespace ql
