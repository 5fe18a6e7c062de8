#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <memory>

namespace ql {

// One fixed chunk of a byte queue. It holds up to kSize bytes, always starting at its first
// byte; bytes are appended behind the held ones and consumed from the front.
class TBufferItem {
public:
  static constexpr std::size_t kSize = 2048;

  // Copies min(n, free room) bytes behind the held ones; returns the number copied.
  std::size_t Add(const char *bytes, std::size_t n);
  // Copies min(n, Count()) bytes from the front into dest without removing them.
  std::size_t ReadOldest(char *dest, std::size_t n) const;
  // Drops n bytes from the front and moves the rest there; returns n. When n exceeds
  // Count() the chunk is emptied and the result is 0.
  std::size_t RemoveOldest(std::size_t n);

  std::size_t Count() const { return count_; }
  std::size_t Room() const { return kSize - count_; }

private:
  std::array<char, kSize> block_{};
  std::size_t count_ = 0;
};

// A byte queue made of TBufferItem chunks, oldest first. It grows at its newest end and is
// consumed at its oldest end, so a sender can leave the bytes that a socket did not take at
// the front for the next attempt. Appending never moves held bytes; consuming moves only the
// rest of the oldest chunk. The queue owns its chunks. Chunks that consuming uses up go to a
// pool of the thread (at most kPooledChunks), from which every queue of the thread takes its
// new chunks before allocating, so bytes streaming through a queue cost no allocation per
// chunk; a queue destroyed with bytes in it frees its chunks.
class TBuffer {
public:
  static constexpr std::size_t kPooledChunks = 512;

  // Appends n bytes: fills the newest chunk, then adds new chunks until all are in.
  void Add(const char *bytes, std::size_t n);
  // Copies up to n bytes, oldest first, without removing them; returns the number copied.
  std::size_t ReadOldest(char *dest, std::size_t n) const;
  // Drops up to n bytes from the oldest end, freeing every chunk that is used up;
  // returns the number dropped.
  std::size_t RemoveOldest(std::size_t n);
  // True when the queue holds at least one byte.
  bool IsDirty() const;

  // Bytes held, and chunks in use (for tests and statistics).
  std::size_t Size() const { return size_; }
  std::size_t ChunkCount() const { return items_.size(); }
  const TBufferItem &Chunk(std::size_t i) const { return *items_[i]; }

private:
  TBufferItem &NewBufferItem();
  void DropOldestChunk();

  std::deque<std::unique_ptr<TBufferItem>> items_;
  std::size_t size_ = 0;
};

} // namespace ql
