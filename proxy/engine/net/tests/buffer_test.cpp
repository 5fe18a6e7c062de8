#include "proxy/engine/net/buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace ql {
namespace {

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>('a' + i % 26);
  }
  return s;
}

std::string Drain(TBuffer &queue, std::size_t piece) {
  std::string out;
  std::string work(piece, '\0');
  while (queue.IsDirty()) {
    const std::size_t got = queue.ReadOldest(work.data(), piece);
    out.append(work.data(), got);
    EXPECT_EQ(queue.RemoveOldest(got), got);
  }
  return out;
}

TEST(BufferItemTest, AddStopsAtTheChunkSizeAndRemovalMovesTheRestToTheFront) {
  TBufferItem item;
  const std::string data = Pattern(3000);
  EXPECT_EQ(item.Add(data.data(), data.size()), 2048u);
  EXPECT_EQ(item.Add("x", 1), 0u);

  EXPECT_EQ(item.RemoveOldest(48), 48u);
  char front[4];
  ASSERT_EQ(item.ReadOldest(front, 4), 4u);
  EXPECT_EQ(std::string(front, 4), data.substr(48, 4));
  EXPECT_EQ(item.Count(), 2000u);

  // Asking for more than is held empties the chunk and reports nothing removed.
  EXPECT_EQ(item.RemoveOldest(2001), 0u);
  EXPECT_EQ(item.Count(), 0u);
}

TEST(BufferTest, AddSplitsIntoFixedChunks) {
  TBuffer queue;
  const std::string data = Pattern(5000);
  queue.Add(data.data(), data.size());
  ASSERT_EQ(queue.ChunkCount(), 3u);
  EXPECT_EQ(queue.Chunk(0).Count(), 2048u);
  EXPECT_EQ(queue.Chunk(1).Count(), 2048u);
  EXPECT_EQ(queue.Chunk(2).Count(), 904u);

  // A later append fills the newest chunk before making another.
  queue.Add(data.data(), 1200);
  ASSERT_EQ(queue.ChunkCount(), 4u);
  EXPECT_EQ(queue.Chunk(2).Count(), 2048u);
  EXPECT_EQ(queue.Chunk(3).Count(), 56u);
  EXPECT_EQ(queue.Size(), 6200u);
}

TEST(BufferTest, RemovingExactlyAWholeChunkFreesIt) {
  TBuffer queue;
  const std::string data = Pattern(2048 + 10);
  queue.Add(data.data(), data.size());
  EXPECT_EQ(queue.RemoveOldest(2048), 2048u);
  EXPECT_EQ(queue.ChunkCount(), 1u);
  EXPECT_EQ(queue.Size(), 10u);

  EXPECT_EQ(queue.RemoveOldest(10), 10u);
  EXPECT_EQ(queue.ChunkCount(), 0u);
  EXPECT_FALSE(queue.IsDirty());
}

TEST(BufferTest, UsedUpChunksServeAnotherQueueEmpty) {
  const std::string data = Pattern(3 * 2048 + 5);
  {
    TBuffer first;
    first.Add(data.data(), data.size());
    EXPECT_EQ(first.RemoveOldest(3 * 2048), 3 * 2048u);
  }
  TBuffer second;
  second.Add("xyz", 3);
  ASSERT_EQ(second.ChunkCount(), 1u);
  EXPECT_EQ(second.Chunk(0).Count(), 3u);
  second.Add(data.data(), data.size());
  EXPECT_EQ(second.ChunkCount(), 4u);
  EXPECT_EQ(Drain(second, 1000), "xyz" + data);
}

TEST(BufferTest, EmptiedOnlyChunkIsNotDirtyAndRemovalIsBoundedByTheContent) {
  TBuffer queue;
  EXPECT_FALSE(queue.IsDirty());
  queue.Add("abc", 3);
  EXPECT_TRUE(queue.IsDirty());
  EXPECT_EQ(queue.RemoveOldest(100), 3u);
  EXPECT_FALSE(queue.IsDirty());
  EXPECT_EQ(queue.RemoveOldest(1), 0u);
  char c;
  EXPECT_EQ(queue.ReadOldest(&c, 1), 0u);
}

TEST(BufferTest, PartialConsumptionAcrossChunksKeepsOrder) {
  TBuffer queue;
  const std::string data = Pattern(20000);
  // Appends of odd sizes and reads of a size unrelated to the chunk size.
  for (std::size_t at = 0; at < data.size(); at += 777) {
    queue.Add(data.data() + at, std::min<std::size_t>(777, data.size() - at));
  }
  std::string out;
  std::string work(3000, '\0');
  while (queue.IsDirty()) {
    const std::size_t got = queue.ReadOldest(work.data(), work.size());
    // A sender that could hand only part of what it read to the socket.
    const std::size_t sent = std::max<std::size_t>(1, got / 3);
    out.append(work.data(), sent);
    ASSERT_EQ(queue.RemoveOldest(sent), sent);
  }
  EXPECT_EQ(out, data);
  EXPECT_EQ(queue.Size(), 0u);
}

TEST(BufferTest, ReadOldestDoesNotConsume) {
  TBuffer queue;
  const std::string data = Pattern(4100);
  queue.Add(data.data(), data.size());
  std::string first(4100, '\0');
  EXPECT_EQ(queue.ReadOldest(first.data(), 5000), 4100u);
  EXPECT_EQ(first, data);
  EXPECT_EQ(Drain(queue, 8192), data);
}

// The newest end mirrors the oldest: Read and Remove work from the back across chunks,
// AddToBottom puts bytes before the oldest one, AddBuffer appends a copy chunk by chunk.
TEST(BufferTest, NewestEndAndBottomAndCopyKeepByteOrder) {
  TBufferItem item;
  item.Add("abcdef", 6);
  char tail[4] = {};
  EXPECT_EQ(item.Read(tail, 4), 4u);
  EXPECT_EQ(std::string(tail, 4), "cdef");
  EXPECT_EQ(item.Remove(7), 0u);
  EXPECT_EQ(item.Count(), 0u);
  item.Add("xyz", 3);
  EXPECT_EQ(item.AddToBottom("01", 2), 2u);
  EXPECT_EQ(item.Remove(1), 1u);
  char all[4] = {};
  EXPECT_EQ(item.ReadOldest(all, 4), 4u);
  EXPECT_EQ(std::string(all, 4), "01xy");

  TBuffer queue;
  const std::string data = Pattern(5000);
  queue.Add(data.data(), data.size());
  std::string newest(3000, '\0');
  EXPECT_EQ(queue.Read(newest.data(), 3000), 3000u);
  EXPECT_EQ(newest, data.substr(2000));
  EXPECT_EQ(queue.Remove(3000), 3000u);
  EXPECT_EQ(queue.Size(), 2000u);
  EXPECT_EQ(queue.ChunkCount(), 1u);

  const std::string front = std::string(4500, 'F') + "<";
  queue.AddToBottom(front.data(), front.size());
  EXPECT_EQ(queue.ChunkCount(), 4u);
  TBuffer copy;
  copy.Add("head", 4);
  copy.AddBuffer(queue);
  EXPECT_EQ(copy.ChunkCount(), 5u);
  EXPECT_EQ(Drain(queue, 8192), front + data.substr(0, 2000));
  EXPECT_EQ(Drain(copy, 100), "head" + front + data.substr(0, 2000));
  EXPECT_EQ(queue.Remove(10), 0u);
}

} // namespace
} // namespace ql
