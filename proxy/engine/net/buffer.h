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
  // The same at the newest end: Read copies the last min(n, Count()) bytes into dest in their
  // order; Remove drops the last n bytes and returns n, or empties the chunk and returns 0 when
  // n exceeds Count().
  std::size_t Read(char *dest, std::size_t n) const;
  std::size_t Remove(std::size_t n);
  // Moves the held bytes back by min(n, free room) and copies that many of the given bytes
  // (their last ones) in front of them; returns the number copied.
  std::size_t AddToBottom(const char *bytes, std::size_t n);

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
// chunk; a queue destroyed with bytes in it frees its chunks, and chunks beyond the pool's
// bound are freed at once, so a peak of traffic leaves no more than kPooledChunks behind.
class TBuffer {
public:
  static constexpr std::size_t kPooledChunks = 512;

  TBuffer() = default;
  ~TBuffer();
  TBuffer(const TBuffer &) = delete;
  TBuffer &operator=(const TBuffer &) = delete;

  // Appends n bytes: fills the newest chunk, then adds new chunks until all are in.
  void Add(const char *bytes, std::size_t n);
  // Copies up to n bytes, oldest first, without removing them; returns the number copied.
  std::size_t ReadOldest(char *dest, std::size_t n) const;
  // Drops up to n bytes from the oldest end, freeing every chunk that is used up;
  // returns the number dropped.
  std::size_t RemoveOldest(std::size_t n);
  // True when the queue holds at least one byte.
  bool IsDirty() const;
  // Copies up to n of the newest bytes into dest, in their order, without removing them;
  // returns the number copied.
  std::size_t Read(char *dest, std::size_t n) const;
  // Drops up to n bytes from the newest end, freeing every chunk that is used up; returns the
  // number dropped.
  std::size_t Remove(std::size_t n);
  // Puts n bytes in front of the oldest byte: fills the room of the oldest chunk from its
  // front, then adds chunks before it (NewBottomBufferItem) until all are in.
  void AddToBottom(const char *bytes, std::size_t n);
  // Appends copies of the other queue's bytes, chunk by chunk.
  void AddBuffer(const TBuffer &other);

  // Bytes held, and chunks in use (for tests and statistics).
  std::size_t Size() const { return size_; }
  std::size_t ChunkCount() const { return items_.size(); }
  const TBufferItem &Chunk(std::size_t i) const { return *items_[i]; }

private:
  std::unique_ptr<TBufferItem> TakeChunk();
  void ReleaseChunk(std::unique_ptr<TBufferItem> chunk);
  TBufferItem &NewBufferItem();
  TBufferItem &NewBottomBufferItem();
  void DropOldestChunk();
  void DropNewestChunk();

  std::deque<std::unique_ptr<TBufferItem>> items_;
  std::size_t size_ = 0;
};

} // namespace ql
