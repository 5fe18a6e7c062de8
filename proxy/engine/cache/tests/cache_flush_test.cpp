// The journal's one flush and what it orders: evicted bodies, their spare inodes, the records
// on the disk and the IDs they free; and what a body that cannot be opened or a disk that
// stalls does to it.
#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_record.h"

#include "support/cache_store_fixture.h"
#include "support/cache_test_util.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {
namespace {

class CacheFlushTest : public test::CacheStoreTest {
protected:
  static ino_t Inode(const QString &path) {
    struct stat file {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 ? file.st_ino : 0;
  }

  // The inodes of the spare files the pool holds now; the pool is empty afterwards.
  std::set<ino_t> TakeSpares() {
    std::set<ino_t> inodes;
    for (QByteArray spare = store.Recycler().TakeSpare(); !spare.isEmpty();
         spare = store.Recycler().TakeSpare())
      inodes.insert(Inode(QFile::decodeName(spare)));
    return inodes;
  }

  // The IDs whose removal records the journal on the disk holds, once per record.
  std::multiset<int32_t> JournaledRemovals() const {
    const QByteArray bytes = test::ReadAll(QDir(dir.path()).filePath(kJournalFileName));
    std::multiset<int32_t> removed;
    TCacheItem item;
    std::size_t used = 0;
    for (std::size_t pos = 0;
         ReadCacheRecord(bytes.constData() + pos, bytes.size() - pos, item, &used) == TRecordRead::Ok;
         pos += used) {
      if (item.EntryType == kRemovedEntry)
        removed.insert(item.ID);
    }
    return removed;
  }

  // Stores a 600-byte object at path; with the cache limited to 1000 bytes it evicts the one
  // before. Returns the inode of its body.
  ino_t Store(const QByteArray &path) {
    EXPECT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch(path, QByteArray(600, path.back()))));
    const std::vector<int32_t> ids = index.IdsForUrl("http://host:80" + path);
    return ids.empty() ? 0 : Inode(Body(ids.front()));
  }
};

// An evicted body's inode is not handed out as a spare before the batch that carries the
// evicted entry's removal is synced: while the journal cannot be written, no download writes
// into it, so that no record on the disk names a file that holds a new object's bytes. Once
// the batch is on the disk, the inodes serve new downloads.
TEST_F(CacheFlushTest, AnEvictedBodyIsNoSpareBeforeTheBatchWithItsRemovalIsSynced) {
  store.SetMaxCacheSize(1000);
  std::set<ino_t> evicted;
  std::optional<test::TFailingJournalWrites> failing(std::in_place, EIO);
  for (int i = 0; i < 10; ++i)
    evicted.insert(Store("/held" + QByteArray::number(i)));
  test::FinishRemovals(store);
  ASSERT_TRUE(JournaledRemovals().empty());
  for (const ino_t spare : TakeSpares())
    EXPECT_FALSE(evicted.contains(spare));
  for (int i = 0; i < 5; ++i) {
    Fetch("/meanwhile" + QByteArray::number(i), "bytes of another object");
    EXPECT_FALSE(evicted.contains(Inode(downloads.back()->ReadPath())));
  }

  failing.reset();
  for (int i = 0; i < 10; ++i)
    Store("/later" + QByteArray::number(i));
  test::FinishRemovals(store);
  EXPECT_EQ(JournaledRemovals().size(), 19u);
  const std::set<ino_t> spares = TakeSpares();
  EXPECT_TRUE(
      std::any_of(spares.begin(), spares.end(), [&](ino_t spare) { return evicted.contains(spare); }));
}

// One flush does it all, in one order: the evicted bodies leave the data directory, the
// directory and the stored bodies are synced, the records are appended and synced, the IDs are
// released, and only then are the evicted bodies spares. At exit the last batch goes the same
// way before the journal closes.
TEST_F(CacheFlushTest, OneFlushMovesEvictedBodiesAwayFirstAndMakesThemSparesLast) {
  store.SetMaxCacheSize(1000);
  struct TSeen {
    TFlushStep step;
    bool bodyThere;
    bool removalJournaled;
    std::size_t spares;
  };
  std::vector<TSeen> seen;
  int32_t watched = 1;
  store.Journal().SetStepHookForTest([&](TFlushStep step) {
    seen.push_back({step, QFile::exists(Body(watched)), JournaledRemovals().contains(watched),
                    store.Recycler().SpareCount()});
  });
  for (int i = 0; i < 10; ++i) {
    Store("/o" + QByteArray::number(i));
    // Evicted by the second store, the body stays until the flush of its batch.
    if (i == 1) {
      EXPECT_TRUE(QFile::exists(Body(watched)));
    }
  }
  test::FinishRemovals(store);
  const std::vector<TFlushStep> order = {TFlushStep::BodiesMovedAway, TFlushStep::FolderSynced,
                                         TFlushStep::BodiesSynced,    TFlushStep::RecordsSynced,
                                         TFlushStep::IdsReleased,     TFlushStep::SparesKept};
  ASSERT_EQ(seen.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].step, order[i]);
    EXPECT_FALSE(seen[i].bodyThere);
    EXPECT_EQ(seen[i].removalJournaled, seen[i].step >= TFlushStep::RecordsSynced);
  }
  EXPECT_EQ(seen[4].spares, seen[0].spares);
  EXPECT_GT(seen[5].spares, seen[4].spares);

  seen.clear();
  watched = index.IdsForUrl("http://host:80/o9").front();
  Store("/last");
  ASSERT_TRUE(QFile::exists(Body(watched)));
  store.Close();
  store.Journal().SetStepHookForTest({});
  ASSERT_EQ(seen.size(), order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(seen[i].step, order[i]);
    EXPECT_FALSE(seen[i].bodyThere);
    EXPECT_EQ(seen[i].removalJournaled, seen[i].step >= TFlushStep::RecordsSynced);
  }
}

// A listed body that cannot be opened for a cause other than its absence (here a link in its
// place) is dropped: its entry leaves the cache, its removal follows its record in the journal
// and is written once, its name goes (the link's target stays), the cause is logged once, and
// the journal goes on with every later batch.
TEST_F(CacheFlushTest, ABodyThatCannotBeOpenedIsDroppedAndTheJournalGoesOn) {
  QStringList logged;
  store.Journal().SetProblemHandlers([&](const QString &line) { logged << line; }, {});
  QTemporaryDir elsewhere;
  const QString target = elsewhere.filePath("target");
  test::WriteBytes(target, "untouched");
  const auto plantLink = [&](int32_t id) {
    QFile::remove(Body(id));
    ASSERT_TRUE(QFile::link(target, Body(id)));
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 10; ++i) {
      const QByteArray path = "/b" + QByteArray::number(round) + "-" + QByteArray::number(i);
      ASSERT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch(path, "body " + path)));
      if (i == 3)
        plantLink(index.IdsForUrl("http://host:80" + path).front());
    }
    test::FinishRemovals(store);
  }
  EXPECT_EQ(index.FindCacheItemById(4), nullptr);
  EXPECT_EQ(index.FindCacheItemById(14), nullptr);
  EXPECT_EQ(index.Count(), 18u);
  ASSERT_EQ(logged.size(), 1);
  EXPECT_TRUE(logged[0].contains(BodyFileName(4))) << logged[0].toStdString();
  EXPECT_EQ(test::ReadAll(target), "untouched");
  struct stat name {};
  EXPECT_NE(::lstat(QFile::encodeName(Body(4)).constData(), &name), 0);
  EXPECT_NE(::lstat(QFile::encodeName(Body(14)).constData(), &name), 0);

  store.Close();
  const std::multiset<int32_t> removals = JournaledRemovals();
  EXPECT_EQ(removals.count(4), 1u);
  EXPECT_EQ(removals.count(14), 1u);
  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir.path());
  EXPECT_EQ(reloaded.Count(), 18u);
  EXPECT_EQ(reloaded.FindCacheItemById(4), nullptr);
  EXPECT_NE(reloaded.FindCacheItemById(20), nullptr);
}

// When the last flush fails, at exit, an entry whose body cannot be opened still leaves the
// index before the save writes it into CACHE.DAT: whether the flush failed after it looked at
// the bodies (a journal write that fails) or before (a journal that cannot be opened).
TEST_F(CacheFlushTest, AnEntryWhoseBodyCannotBeOpenedIsNotSavedAtExitWhenTheLastFlushFails) {
  QTemporaryDir elsewhere;
  const QString target = elsewhere.filePath("target");
  test::WriteBytes(target, "untouched");
  const QString journal = QDir(dir.path()).filePath(kJournalFileName);
  for (const bool unopenedJournal : {false, true}) {
    SCOPED_TRACE(unopenedJournal);
    TCacheIndex exitIndex;
    TCacheStore exitStore(exitIndex, dir.path());
    exitStore.Journal().SetProblemHandlers([](const QString &) {}, [] {});
    std::optional<test::TFailingJournalWrites> failing;
    QFile::remove(journal);
    if (unopenedJournal)
      ASSERT_TRUE(QDir().mkpath(journal));
    else
      failing.emplace(EIO);
    for (int32_t id = 1; id <= 3; ++id) {
      exitIndex.Put(test::MakeItem(id, "http://host:80/" + QByteArray::number(id), 4));
      QFile::remove(Body(id));
      test::TouchBody(dir.path(), BodyFileName(id));
      exitStore.JournalCacheItem(id);
    }
    QFile::remove(Body(2));
    ASSERT_TRUE(QFile::link(target, Body(2)));
    exitStore.Close();
    failing.reset();
    QDir(journal).removeRecursively();
    EXPECT_EQ(exitIndex.FindCacheItemById(2), nullptr);
    ASSERT_TRUE(SaveCacheIndex(exitIndex, dir.path(), {}).Saved);
    TCacheIndex reloaded;
    LoadCacheIndex(reloaded, dir.path());
    EXPECT_EQ(reloaded.Ids(), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(test::ReadAll(target), "untouched");
  }
}

// A disk that stalls in a sync holds the worker: beyond a bound of stores waiting for it, new
// downloads are not stored (the relay goes on without them), so that nothing grows without a
// bound; once the worker has caught up, they are stored again.
TEST_F(CacheFlushTest, ADiskThatStallsStopsTheStoresAtABound) {
  std::mutex mutex;
  std::condition_variable resumed;
  bool stalled = true;
  store.Journal().SetStepHookForTest([&](TFlushStep) {
    std::unique_lock lock(mutex);
    resumed.wait(lock, [&] { return !stalled; });
  });
  const auto resume = [&] {
    {
      std::lock_guard lock(mutex);
      stalled = false;
    }
    resumed.notify_all();
  };
  // The worker must not stay held, whatever fails below, nor call the hook after this test.
  const std::unique_ptr<void, std::function<void(void *)>> release(&stalled, [&](void *) {
    resume();
    test::FinishRemovals(store);
    store.Journal().SetStepHookForTest({});
  });
  constexpr std::size_t kBound = 200;
  store.Journal().SetBacklogBoundForTest(kBound);
  std::size_t stored = 0;
  while (stored <= kBound + kJournalBatch &&
         store.StoreCacheItem(kBrowserMode, Fetch("/s" + QByteArray::number(stored), "x")))
    ++stored;
  EXPECT_TRUE(store.Backlogged());
  EXPECT_GE(stored, kBound);
  EXPECT_LE(stored, kBound + kJournalBatch);
  EXPECT_FALSE(store.StoreCacheItem(kBrowserMode, Fetch("/refused", "x")));
  EXPECT_EQ(index.Count(), stored);

  resume();
  test::FinishRemovals(store);
  EXPECT_FALSE(store.Backlogged());
  EXPECT_TRUE(store.StoreCacheItem(kBrowserMode, Fetch("/again", "x")));
}

} // namespace
} // namespace ql
