#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"

#include "support/cache_test_util.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace ql {
namespace {

using test::MakeItem;

// A run of changes to an index with its journal, the same for a given seed: mostly new entries,
// some stored again with a new length, some removed. The journal compacts at a small size.
class ChangeRun {
public:
  ChangeRun(const QString &dir, unsigned seed) : random_(seed) {
    journal_.Open(dir);
    journal_.SetCompactionForTest(2000, 7);
  }

  void Step() {
    const unsigned roll = random_() % 10;
    const int32_t count = static_cast<int32_t>(index_.HighestCacheId());
    if (roll < 2 && count > 0) {
      const int32_t id = 1 + static_cast<int32_t>(random_() % static_cast<unsigned>(count));
      if (TCacheItem *item = index_.FindCacheItemById(id)) {
        index_.SetLength(*item, item->Length + 1);
        journal_.Add(id, false);
        return;
      }
    } else if (roll < 4 && count > 0) {
      index_.Remove(1 + static_cast<int32_t>(random_() % static_cast<unsigned>(count)));
      return;
    }
    const int32_t id = index_.NextCacheId();
    index_.Put(MakeItem(id, "http://host:80/" + QByteArray::number(id), 10 + id));
    journal_.Add(id, false);
  }

  TCacheIndex &Index() { return index_; }
  TCacheJournal &Journal() { return journal_; }

private:
  std::mt19937 random_;
  TCacheIndex index_;
  TCacheWorker worker_;
  TCacheJournal journal_{index_, worker_};
};

// What a test compares: each entry's ID and length, a line each, in list order.
std::string Entries(const TCacheIndex &index) {
  std::string text;
  index.ForEach([&](const TCacheItem &item) {
    text += std::to_string(item.ID) + ' ' + std::to_string(item.Length) + '\n';
  });
  return text;
}

// The journal stays within its bound while changes go on, CACHE.DAT is rewritten behind it, and
// the files load as exactly the index in memory.
TEST(CacheCompaction, JournalStaysSmallAndTheFilesGiveTheIndex) {
  QTemporaryDir dir;
  ChangeRun run(dir.path(), 1);
  bool compacted = false;
  int64_t largest = 0;
  for (int i = 0; i < 3000; ++i) {
    run.Step();
    compacted = compacted || run.Journal().Compacting();
    largest = std::max(largest, run.Journal().Size());
    // Now and then the worker has written what it was handed, as it catches up between
    // requests: the journal's size is then known and a rewrite handed over is in place.
    if (i % 100 == 0)
      run.Journal().Wait();
  }
  EXPECT_TRUE(compacted);
  EXPECT_GT(QFileInfo(QDir(dir.path()).filePath(kCacheFileName)).size(), 2000);
  EXPECT_LT(largest, 2 * kCompactFactor * QFileInfo(QDir(dir.path()).filePath(kCacheFileName)).size());
  // Until a batch is due, the last changes wait in the queue; a full batch brings them out.
  while (!run.Index().JournalQueue().empty())
    run.Step();
  run.Journal().Wait();
  TCacheIndex reloaded;
  const TCacheLoadReport report = LoadCacheIndex(reloaded, dir.path());
  EXPECT_FALSE(report.Damaged);
  EXPECT_EQ(Entries(reloaded), Entries(run.Index()));
}

// While CACHE.DAT is rewritten, the files give at every moment the index as of the last batch
// handed to the journal: the rewrite takes in no change that the journal does not hold.
TEST(CacheCompaction, TheFilesNeverRunAheadOfTheJournal) {
  QTemporaryDir dir;
  ChangeRun run(dir.path(), 3);
  std::string handedOver;
  int checked = 0;
  for (int i = 0; i < 1500; ++i) {
    run.Step();
    if (run.Index().JournalQueue().empty())
      handedOver = Entries(run.Index());
    // The journal's size, which starts a rewrite, is known once the worker wrote the batch; the
    // wait also ends a rewrite whose new CACHE.DAT is in place.
    const bool compacting = run.Journal().Compacting();
    run.Journal().Wait();
    if (!compacting)
      continue;
    TCacheIndex reloaded;
    ASSERT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
    ASSERT_EQ(Entries(reloaded), handedOver) << "step " << i;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

// The entries of a text of Entries, by ID.
std::map<std::string, std::string> ById(const std::string &entries) {
  std::map<std::string, std::string> byId;
  std::istringstream lines(entries);
  for (std::string id, length; lines >> id >> length;)
    byId[id] = length;
  return byId;
}

// Whether the files loaded as a batch left the index, with some of the changes of the batch after
// it: a kill can cut the journal between two records of the batch being written, whose bodies are
// all on the disk already. Every other change stays as the batch left it.
bool WithinBatch(const std::string &loaded, const std::string &batch, const std::string &next) {
  if (loaded == batch)
    return true;
  const auto got = ById(loaded), before = ById(batch), after = ById(next);
  std::set<std::string> ids;
  for (const auto *side : {&got, &before, &after})
    for (const auto &[id, length] : *side)
      ids.insert(id);
  const auto at = [](const std::map<std::string, std::string> &side, const std::string &id) {
    const auto found = side.find(id);
    return found == side.end() ? std::string() : found->second;
  };
  return !next.empty() && std::all_of(ids.begin(), ids.end(), [&](const std::string &id) {
    return at(got, id) == at(before, id) || at(got, id) == at(after, id);
  });
}

// A kill at any moment of the run, before, during or after a rewrite of CACHE.DAT, loses no
// change that a written batch holds: the files load as the index stood at a batch handed to
// the worker (or part way into the next), no earlier than the last one known to be written.
TEST(CacheCompaction, AKillAtAnyMomentKeepsEveryWrittenBatch) {
  for (int stop = 120; stop < 600; stop += 23) {
    SCOPED_TRACE(stop);
    QTemporaryDir dir;
    const QString expected = QDir(dir.path()).filePath("expected");
    const pid_t child = ::fork();
    if (child == 0) {
      ChangeRun run(dir.path(), 2);
      int batches = 0;
      for (int i = 0; i < stop; ++i) {
        run.Step();
        if (!run.Index().JournalQueue().empty())
          continue;
        // The index as this batch leaves it; now and then the batch is known to be written.
        ++batches;
        test::WriteBytes(expected + QString::number(batches),
                         QByteArray::fromStdString(Entries(run.Index())));
        if (batches % 5 == 0) {
          run.Journal().Wait();
          test::WriteBytes(expected + "-written", QByteArray::number(batches));
        }
        if (i % 37 == 0)
          QThread::usleep(300);
      }
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));

    TCacheIndex reloaded;
    EXPECT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
    const std::string loaded = Entries(reloaded);
    int matched = 0;
    for (int batch = 1; QFileInfo::exists(expected + QString::number(batch)); ++batch) {
      const std::string next = test::ReadAll(expected + QString::number(batch + 1)).toStdString();
      if (WithinBatch(loaded, test::ReadAll(expected + QString::number(batch)).toStdString(), next))
        matched = batch;
    }
    EXPECT_GT(matched, 0);
    EXPECT_GE(matched, test::ReadAll(expected + "-written").toInt());
  }
}

} // namespace
} // namespace ql
