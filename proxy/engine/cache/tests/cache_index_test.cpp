#include "proxy/engine/cache/cache_index.h"

#include "support/cache_test_util.h"

#include <gtest/gtest.h>

#include <limits>

namespace ql {
namespace {

using test::MakeItem;

TEST(CacheIndex, UrlLookupKeepsListOrderThroughOverwritesAndRemovals) {
  TCacheIndex index;
  index.Put(MakeItem(5, "http://a:80/"));
  index.Put(MakeItem(2, "http://b:80/"));
  index.Put(MakeItem(9, "http://a:80/"));
  index.Put(MakeItem(3, "http://a:80/"));
  EXPECT_EQ(index.IdsForUrl("http://a:80/"), (std::vector<int32_t>{5, 9, 3}));

  // An overwrite that moves entry 2 to the URL of the others keeps its place in the list.
  index.Put(MakeItem(2, "http://a:80/"));
  EXPECT_EQ(index.IdsForUrl("http://a:80/"), (std::vector<int32_t>{5, 2, 9, 3}));
  EXPECT_TRUE(index.IdsForUrl("http://b:80/").empty());
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{5, 2, 9, 3}));

  index.Remove(9);
  EXPECT_EQ(index.IdsForUrl("http://a:80/"), (std::vector<int32_t>{5, 2, 3}));
  EXPECT_EQ(index.FindCacheItemById(9), nullptr);
  EXPECT_EQ(index.FindCacheItemById(3)->URL, "http://a:80/");
  EXPECT_EQ(index.HighestCacheId(), 9);
  EXPECT_EQ(index.NextCacheId(), 10);
  EXPECT_EQ(index.HighestCacheId(), 10);
}

TEST(CacheIndex, TotalCountsNormalEntriesOnly) {
  TCacheIndex index;
  index.Put(MakeItem(1, "u1", 100));
  index.Put(MakeItem(2, "u2", 50, Preserved));
  index.Put(MakeItem(3, "u3", 70, Auto));
  EXPECT_EQ(index.CacheTotalSize(), 100);

  index.Put(MakeItem(2, "u2", 40, Normal));
  EXPECT_EQ(index.CacheTotalSize(), 140);
  TCacheItem &first = *index.FindCacheItemById(1);
  index.SetLength(first, 2000000000);
  index.SetLength(*index.FindCacheItemById(2), 2000000000);
  EXPECT_EQ(index.CacheTotalSize(), 4000000000LL);
  index.SetEntryType(first, Preserved);
  EXPECT_EQ(index.CacheTotalSize(), 2000000000LL);
  index.SetEntryType(*index.FindCacheItemById(3), Normal);
  EXPECT_EQ(index.CacheTotalSize(), 2000000070LL);
  index.Remove(3);
  EXPECT_EQ(index.CacheTotalSize(), 2000000000LL);
}

TEST(CacheIndex, RemovalTellsListenersAndQueuesItForTheJournal) {
  TCacheIndex index;
  index.Put(MakeItem(1, "u1"));
  index.Put(MakeItem(2, "u2"));
  index.JournalQueue() = {{1, false}, {2, false}};
  std::vector<int32_t> heard;
  const int handle = index.AddRemovalListener([&](int32_t id) {
    EXPECT_EQ(index.FindCacheItemById(id), nullptr);
    heard.push_back(id);
  });
  index.Remove(1);
  index.Remove(7);
  EXPECT_EQ(heard, std::vector<int32_t>{1});
  EXPECT_EQ(index.JournalQueue(), (std::vector<TJournalEvent>{{1, false}, {2, false}, {1, true}}));
  index.RemoveRemovalListener(handle);
  index.Remove(2);
  EXPECT_EQ(heard, std::vector<int32_t>{1});
  EXPECT_TRUE(index.IsEmpty());
}

// An entry whose removal the journal already holds (a body the journal dropped) leaves as a
// removed one does for its listeners, but queues no second removal, and its ID is free at once,
// where a removed entry's waits for its removal to reach the disk.
TEST(CacheIndex, ADroppedEntryQueuesNothingAndItsIdIsFreeAtOnce) {
  TCacheIndex index;
  index.Put(MakeItem(std::numeric_limits<int32_t>::max(), "last"));
  index.Put(MakeItem(1, "u1"));
  index.Put(MakeItem(2, "u2"));
  std::vector<int32_t> heard;
  index.AddRemovalListener([&](int32_t id) { heard.push_back(id); });
  EXPECT_EQ(index.PeekNextCacheId(), 3);
  index.Remove(2);
  EXPECT_TRUE(index.Drop(1));
  EXPECT_FALSE(index.Drop(7));
  EXPECT_EQ(heard, (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(index.JournalQueue(), (std::vector<TJournalEvent>{{2, true}}));
  EXPECT_EQ(index.NextCacheId(), 1);
  index.Put(MakeItem(1, "again"));
  EXPECT_EQ(index.PeekNextCacheId(), 3);
}

} // namespace
} // namespace ql
