#include "proxy/engine/autobrowse/bookmark_info.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/download_file.h"

#include "support/cache_store_fixture.h"
#include "support/cache_test_util.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ql {
namespace {

using test::CacheStoreTest;

// An ID of the largest 32-bit value, read from a file, leaves no room above it: new entries
// take the lowest free IDs instead of overflowing.
TEST_F(CacheStoreTest, NewIdsAfterTheLargestIdTakeFreeOnes) {
  index.Put(test::MakeItem(std::numeric_limits<int32_t>::max(), "http://host:80/last", 4));
  test::TouchBody(dir.path(), QString::number(std::numeric_limits<int32_t>::max()) + ".ADL");
  index.Put(test::MakeItem(1, "http://host:80/first", 4));
  test::TouchBody(dir.path(), "1.ADL");
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/new", "new body")));
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/newer", "newer body")));
  ASSERT_NE(index.FindCacheItemById(2), nullptr);
  EXPECT_EQ(index.FindCacheItemById(2)->URL, "http://host:80/new");
  EXPECT_EQ(index.FindCacheItemById(3)->URL, "http://host:80/newer");
  EXPECT_EQ(test::ReadAll(Body(3)), "newer body");
  EXPECT_EQ(index.HighestCacheId(), std::numeric_limits<int32_t>::max());
}

// Once IDs are taken again, an evicted entry's ID is given to a new entry only when the
// journal on the disk holds its removal (and its old body is gone): a crash before that would
// leave the old entry's record naming the new object's body. Until then new entries take other
// free IDs; afterwards the released ones come back, and every body stays its own object's.
TEST_F(CacheStoreTest, AnEvictedIdComesBackOnlyOnceItsRemovalIsOnTheDisk) {
  index.Put(test::MakeItem(std::numeric_limits<int32_t>::max(), "http://host:80/last", 4, Preserved));
  store.SetMaxCacheSize(20);
  std::set<int32_t> notOnDisk;
  index.AddRemovalListener([&](int32_t id) { notOnDisk.insert(id); });
  std::vector<std::pair<int32_t, QByteArray>> stored;
  int32_t highest = 0;
  for (int round = 0; round < 40; ++round) {
    const QByteArray path = "/o" + QByteArray::number(round);
    const QByteArray body = QByteArray::number(1000000 + round); // same size, bytes of its own
    ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch(path, body)));
    const std::vector<int32_t> ids = index.IdsForUrl("http://host:80" + path);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_FALSE(notOnDisk.contains(ids.front())) << "round " << round << " took " << ids.front();
    highest = std::max(highest, ids.front());
    stored.emplace_back(ids.front(), body);
    if (round % 10 == 9) {
      // The batch handed over with this store is on the disk once the worker is done.
      test::FinishRemovals(store);
      notOnDisk.clear();
    }
  }
  // IDs are taken again: the cache of two entries goes through far fewer than 40.
  EXPECT_LT(highest, 30);
  test::FinishRemovals(store);
  index.ForEach([&](const TCacheItem &item) {
    if (item.EntryType != Normal)
      return;
    const auto last =
        std::find_if(stored.rbegin(), stored.rend(), [&](const auto &s) { return s.first == item.ID; });
    EXPECT_EQ(test::ReadAll(Body(item.ID)), last->second);
  });
}

// Spare files are made as downloads ask for them: one download leaves one, a burst of them
// at most kSpares, never a thousand.
TEST_F(CacheStoreTest, SparesAreMadeAsDownloadsAskForThemAndStayFew) {
  const QString temp = dir.filePath("TEMP");
  Fetch("/one", "one");
  test::FinishRemovals(store);
  EXPECT_LE(QDir(temp).entryList(QDir::Files).size(), 1);
  for (int i = 0; i < 300; ++i)
    Fetch("/burst" + QByteArray::number(i), "burst");
  for (auto &download : downloads)
    download->Discard();
  test::FinishRemovals(store);
  EXPECT_GT(store.Recycler().SpareCount(), 1u);
  EXPECT_LE(QDir(temp).entryList(QDir::Files).size(), static_cast<qsizetype>(TFileRecycler::kSpares));
}

// A batch of the journal goes to the disk after the bodies it lists.
TEST_F(CacheStoreTest, EachJournalBatchSyncsTheBodiesItLists) {
  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/s" + QByteArray::number(i), "synced")));
  test::FinishRemovals(store);
  const TSyncCost cost = store.Journal().Cost();
  EXPECT_EQ(cost.Bodies, 10u);
  EXPECT_GE(cost.Flushes, 1u);
}

// Evicted bodies and dropped downloads come back, emptied, as the files of new downloads, so
// that the cache does not free and make a file per object. A body still being read (a browser
// being sent it) or with a second name is never reused: its bytes stay as they were.
TEST_F(CacheStoreTest, EvictedBodiesBecomeNewDownloadsUnlessStillInUse) {
  auto inode = [](const QString &path) {
    struct stat file {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 ? file.st_ino : 0;
  };
  store.SetMaxCacheSize(1000);
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/read", QByteArray(400, 'r'))));
  QFile reader(Body(1));
  ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/linked", QByteArray(400, 'l'))));
  const QString link = dir.filePath("link");
  ASSERT_EQ(::link(QFile::encodeName(Body(2)).constData(), QFile::encodeName(link).constData()), 0);
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/plain", QByteArray(400, 'p'))));
  const ino_t plain = inode(Body(3));
  for (const char *path : {"/four", "/five"})
    ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch(path, QByteArray(400, 'n'))));
  ASSERT_EQ(index.FindCacheItemById(3), nullptr);
  Fetch("/dropped", QByteArray(900, 'd'));
  downloads.back()->Discard();
  test::FinishRemovals(store);

  std::set<ino_t> spares;
  for (const QFileInfo &file : QDir(dir.filePath("TEMP")).entryInfoList(QDir::Files))
    spares.insert(inode(file.filePath()));
  EXPECT_TRUE(spares.contains(plain));
  for (int i = 0; i < 4; ++i) {
    const QByteArray path = "/small" + QByteArray::number(i);
    ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch(path, "small " + path)));
    const int32_t id = index.IdsForUrl("http://host:80" + path).front();
    EXPECT_EQ(test::ReadAll(Body(id)), "small " + path);
    // The first takes the file given back last; the others may take spares made since.
    if (i == 0) {
      EXPECT_TRUE(spares.contains(inode(Body(id))));
    }
  }
  EXPECT_EQ(reader.readAll(), QByteArray(400, 'r'));
  EXPECT_EQ(test::ReadAll(link), QByteArray(400, 'l'));
  test::FinishRemovals(store);
  EXPECT_TRUE(test::NoDownloadLeft(dir.filePath("TEMP")));
}

TEST_F(CacheStoreTest, StoreMovesTheDownloadIntoTheBodyFile) {
  TFetchResult fetch = Fetch("/a.html", "<title>Hello</title>body");
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, fetch));
  EXPECT_FALSE(fetch.Download->IsOpen());
  EXPECT_TRUE(test::NoDownloadLeft(dir.filePath("TEMP")));
  const TCacheItem *item = index.FindCacheItemById(1);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->URL, "http://host:80/a.html");
  EXPECT_EQ(test::ReadAll(Body(1)), "<title>Hello</title>body");
  EXPECT_EQ(item->Title, "Hello");
  EXPECT_EQ(item->LastModified, 40000.5);
  EXPECT_EQ(item->Validated, 1);
  EXPECT_EQ(item->Hits, 0);
  EXPECT_EQ(index.CacheTotalSize(), 24);
  EXPECT_EQ(store.LastPageUrl, "http://host:80/a.html");
  EXPECT_EQ(store.LastPageTitle, "Hello");
  ASSERT_EQ(index.JournalQueue().size(), 1u);
}

TEST_F(CacheStoreTest, AdmissionRules) {
  store.SetMaxCacheItemSize(10);
  EXPECT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/exact", "0123456789")));
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, Fetch("/over", "0123456789A")));
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, Fetch("/empty", "")));
  EXPECT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/moved", "", 302)));
  TFetchResult notSpooled = Fetch("/ns", "abc");
  notSpooled.Spooled = false;
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, notSpooled));
  EXPECT_FALSE(store.StoreCacheItem(1, Fetch("/mode1", "abc")));
  EXPECT_EQ(index.Count(), 2u);
}

TEST_F(CacheStoreTest, PartialBodyIsNotTrusted) {
  TFetchResult fetch = Fetch("/p", "short");
  fetch.ContentLength = 100;
  store.StoreCacheItem(kBrowserMode, fetch);
  EXPECT_EQ(index.FindCacheItemById(1)->LastModified, kNoDate);
  EXPECT_EQ(index.FindCacheItemById(1)->Validated, 0);
}

TEST_F(CacheStoreTest, RestoreKeepsIdentityAndReplacesBody) {
  store.StoreCacheItem(kBrowserMode, Fetch("/r", "first"));
  const TDateTime retrieved = index.FindCacheItemById(1)->Retrieved;
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, Fetch("/r", "second!")));
  const TCacheItem *item = index.FindCacheItemById(1);
  EXPECT_EQ(index.Count(), 1u);
  EXPECT_EQ(item->Retrieved, retrieved);
  EXPECT_EQ(item->Hits, 2);
  EXPECT_EQ(test::ReadAll(Body(1)), "second!");
  EXPECT_EQ(index.CacheTotalSize(), 7);
}

// A failed rename must store nothing: no entry may point at a body that is not there.
TEST_F(CacheStoreTest, FailedRenameStoresNothing) {
  store.StoreCacheItem(kBrowserMode, Fetch("/k", "kept"));
  QDir(dir.path()).mkdir(BodyFileName(2)); // a directory in the next body file's place
  test::WriteBytes(QDir(Body(2)).filePath("x"), "x");
  TFetchResult fresh = Fetch("/new", "abc");
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, fresh));
  EXPECT_EQ(index.Count(), 1u);
  EXPECT_EQ(index.HighestCacheId(), 1);
  EXPECT_EQ(index.CacheTotalSize(), 4);
  EXPECT_EQ(store.FindCacheItem("http://host:80/new", {}, kBrowserMode), nullptr);
  EXPECT_TRUE(fresh.Download->IsOpen());
}

// An entry stands for its method and POST data together: a POST's entry is found only with all
// of its data and never by a GET, whose own entry for the URL stands beside it. The answer to a
// POST is stored only when its data reads back whole from the cache files, and the data an
// entry holds counts towards the cache's size.
TEST_F(CacheStoreTest, PostEntriesStandForTheirDataAlone) {
  const auto post = [&](const QByteArray &path, const QByteArray &data) {
    TFetchResult fetch = Fetch(path, "answer");
    fetch.Post = true;
    fetch.PostData = data;
    return fetch;
  };
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, post("/form", "a=1&b=2")));
  EXPECT_EQ(index.CacheTotalSize(), 6 + 7);
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", "a=1", kBrowserMode), nullptr);
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", "a=1&b=23", kBrowserMode), nullptr);
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", {}, kBrowserMode), nullptr);
  ASSERT_NE(store.FindCacheItem("http://host:80/form", "a=1&b=2", kBrowserMode), nullptr);
  EXPECT_EQ(store.FindCacheItem("http://HOST:80/form", "a=1&b=2", kBrowserMode), nullptr);

  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/form", "got")));
  ASSERT_NE(store.FindCacheItem("http://host:80/form", {}, kBrowserMode), nullptr);
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", {}, kBrowserMode)->ID, 2);
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", "a=1&b=2", kBrowserMode)->ID, 1);
  EXPECT_EQ(test::ReadAll(Body(1)), "answer");
  EXPECT_EQ(index.CacheTotalSize(), 6 + 7 + 3);

  for (const QByteArray &data : {QByteArray(4097, 'd'), QByteArray("a\0b", 3), QByteArray()})
    EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, post("/big", data))) << data.size();
  EXPECT_EQ(index.Count(), 2u);
  ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, post("/big", QByteArray(4096, 'd'))));
  EXPECT_EQ(index.CacheTotalSize(), 6 + 7 + 3 + 6 + 4096);
  index.Remove(3);
  EXPECT_EQ(index.CacheTotalSize(), 6 + 7 + 3);
}

TEST_F(CacheStoreTest, LookupDropsBrokenBodies) {
  store.StoreCacheItem(kBrowserMode, Fetch("/form", "answer"));
  store.StoreCacheItem(kBrowserMode, Fetch("/cut", "0123456789"));
  test::WriteBytes(Body(2), "01234"); // cut short by a crash
  EXPECT_EQ(store.FindCacheItem("http://host:80/cut", {}, kBrowserMode), nullptr);
  EXPECT_EQ(index.FindCacheItemById(2), nullptr);
  EXPECT_EQ(index.CacheTotalSize(), 6);

  QFile::remove(Body(1));
  EXPECT_EQ(store.FindCacheItem("http://host:80/form", {}, 2), nullptr);
  EXPECT_TRUE(index.IsEmpty());
}

TEST_F(CacheStoreTest, LookupCountsHitsAndSeenByMode) {
  store.StoreCacheItem(kBrowserMode, Fetch("/s", "x"));
  TCacheItem *item = index.FindCacheItemById(1);
  item->Seen = 0;
  store.FindCacheItem("http://host:80/s", {}, kAutoMode);
  EXPECT_EQ(item->Seen, 0);
  EXPECT_EQ(item->Hits, 1);
  store.FindCacheItem("http://host:80/s", {}, kBrowserMode);
  EXPECT_EQ(item->Seen, 1);
  EXPECT_EQ(item->Hits, 2);
}

TEST_F(CacheStoreTest, TrimEvictsLeastRecentlyAccessedNormalEntries) {
  store.SetMaxCacheSize(1000);
  for (int i = 1; i <= 4; ++i)
    store.StoreCacheItem(kBrowserMode, Fetch("/" + QByteArray::number(i), QByteArray(300, 'x')));
  // Storing the fourth went over the limit: the first (all equal or older) left.
  EXPECT_EQ(index.FindCacheItemById(1), nullptr);
  test::FinishRemovals(store);
  EXPECT_FALSE(QFile::exists(Body(1)));
  for (int32_t id : {2, 3, 4})
    index.SetLastAccessed(*index.FindCacheItemById(id), 45000.0);
  index.SetLastAccessed(*index.FindCacheItemById(2), 45001.0);
  index.SetEntryType(*index.FindCacheItemById(3), Preserved);
  store.SetMaxCacheSize(100);
  store.TrimCache();
  EXPECT_EQ(index.FindCacheItemById(4), nullptr);
  EXPECT_EQ(index.FindCacheItemById(2), nullptr);
  ASSERT_NE(index.FindCacheItemById(3), nullptr); // preserved stays, though over the limit
  EXPECT_EQ(index.CacheTotalSize(), 0);
}

TEST_F(CacheStoreTest, TrimTieGoesToTheFirstInListOrder) {
  store.SetMaxCacheSize(1 << 20);
  for (int i = 1; i <= 3; ++i)
    store.StoreCacheItem(kBrowserMode, Fetch("/" + QByteArray::number(i), QByteArray(10, 'x')));
  for (int32_t id : {1, 2, 3})
    index.SetLastAccessed(*index.FindCacheItemById(id), 45000.0);
  store.SetMaxCacheSize(25);
  store.TrimCache();
  EXPECT_EQ(index.FindCacheItemById(1), nullptr);
  EXPECT_NE(index.FindCacheItemById(2), nullptr);
  EXPECT_NE(index.FindCacheItemById(3), nullptr);
}

// The eviction order must choose exactly as a full pass over the list does: the smallest
// LastAccessed among Normal entries dated before now + 1000 days, the first in list order on a
// tie. The cache here mixes ties, far-future and unordered (NaN) dates, Preserved and Auto
// entries, and entries whose date, type or record changed after they were listed.
TEST_F(CacheStoreTest, EvictionOrderChoosesAsAFullPassDoes) {
  std::mt19937 random(7);
  const TDateTime now = Now();
  const TDateTime dates[] = {45000.0, 45000.5,   45001.0,      now - 1.0,
                             now,     now + 999, now + 1000.5, std::numeric_limits<double>::quiet_NaN()};
  auto date = [&] { return dates[random() % std::size(dates)]; };
  auto type = [&] { return static_cast<uint8_t>(random() % 5 == 0 ? random() % 3 : 0); };
  // IDs in an order of their own, so that list order and ID order differ.
  std::vector<int32_t> ids(3000);
  std::iota(ids.begin(), ids.end(), 1);
  std::shuffle(ids.begin(), ids.end(), random);
  for (const int32_t id : ids) {
    TCacheItem item =
        test::MakeItem(id, "http://host:80/" + QByteArray::number(id), 1 + random() % 50, type());
    item.LastAccessed = date();
    index.Put(item);
  }
  std::vector<int32_t> evicted;
  index.AddRemovalListener([&](int32_t id) { evicted.push_back(id); });

  for (int round = 0; round < 4; ++round) {
    // Changes after listing: dates, types, whole records put again in place, removals.
    for (int i = 0; i < 400; ++i) {
      const int32_t id = 1 + random() % 3000;
      TCacheItem *item = index.FindCacheItemById(id);
      if (item == nullptr)
        continue;
      switch (random() % 4) {
      case 0:
        index.SetLastAccessed(*item, date());
        break;
      case 1:
        index.SetEntryType(*item, type());
        break;
      case 2: {
        TCacheItem again = *item;
        again.LastAccessed = date();
        index.Put(again);
        break;
      }
      default:
        index.Remove(id);
      }
    }
    evicted.clear();
    // The full pass: candidates in list order, a stable sort by date, evicted while over.
    std::vector<std::pair<TDateTime, const TCacheItem *>> candidates;
    const TDateTime horizon = Now() + 1000.0;
    index.ForEach([&](const TCacheItem &item) {
      if (item.EntryType == Normal && item.LastAccessed < horizon)
        candidates.emplace_back(item.LastAccessed, &item);
    });
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    const int64_t limit = index.CacheTotalSize() * 2 / 3;
    std::vector<int32_t> expected;
    int64_t total = index.CacheTotalSize();
    for (const auto &[accessed, item] : candidates) {
      if (total <= limit)
        break;
      expected.push_back(item->ID);
      total -= item->Length;
    }
    ASSERT_GT(expected.size(), 100u);
    store.SetMaxCacheSize(limit);
    store.TrimCache();
    EXPECT_EQ(evicted, expected) << "round " << round;
  }
}

TEST_F(CacheStoreTest, AutoStoreUsesTheBookmarkLimitAndMarksTheBookmark) {
  TBMInfo bookmark(45000.0);
  bookmark.MaxItemSize = 4;
  bookmark.SerialId = 9;
  bookmark.Generation = 3;
  TFetchResult fetch = Fetch("/auto", "abcd");
  fetch.Bookmark = &bookmark;
  ASSERT_TRUE(store.StoreCacheItem(kAutoMode, fetch));
  const TCacheItem *item = index.FindCacheItemById(1);
  EXPECT_EQ(item->EntryType, Auto);
  EXPECT_EQ(item->BMSerial, 9);
  EXPECT_EQ(item->BMGeneration, 3);
  EXPECT_EQ(item->Seen, 0);
  EXPECT_EQ(bookmark.HasAutoEntries, 1);
  EXPECT_EQ(index.CacheTotalSize(), 0);
  TFetchResult big = Fetch("/big", "abcde");
  big.Bookmark = &bookmark;
  EXPECT_FALSE(store.StoreCacheItem(kAutoMode, big));
}

TEST_F(CacheStoreTest, TrimNeverChoosesEntriesDatedFarAhead) {
  store.SetMaxCacheSize(1 << 20);
  store.StoreCacheItem(kBrowserMode, Fetch("/future", QByteArray(10, 'x')));
  store.StoreCacheItem(kBrowserMode, Fetch("/past", QByteArray(10, 'x')));
  index.SetLastAccessed(*index.FindCacheItemById(1), Now() + 2000.0);
  index.SetLastAccessed(*index.FindCacheItemById(2), 45000.0);
  store.SetMaxCacheSize(5);
  store.TrimCache();
  EXPECT_NE(index.FindCacheItemById(1), nullptr);
  EXPECT_EQ(index.FindCacheItemById(2), nullptr);
}

} // namespace
} // namespace ql
