#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"
#include "proxy/engine/cache/cache_record.h"

#include "support/cache_test_util.h"

#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ql {
namespace {

using test::MakeItem;

// Runs body in a child process and returns its exit status. The child ends with _exit, so a
// call of _exit inside body is a kill at that point: nothing after it reaches the files.
int InChild(const std::function<int()> &body) {
  const pid_t pid = ::fork();
  if (pid == 0)
    ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CacheCrash : public ::testing::Test {
protected:
  // CACHE.DAT from an earlier exit holds entries 1 and 2; a whole journal batch since then holds
  // entry 2 changed and entries 3 to 11; entry 12 is stored but still waits in the queue.
  void SetUp() override {
    TCacheIndex earlier;
    earlier.Put(MakeItem(1, "http://a:80/"));
    earlier.Put(MakeItem(2, "http://b:80/"));
    ASSERT_TRUE(SaveCacheIndex(earlier, dir.path(), {}).Saved);
    LoadCacheIndex(index, dir.path());
    journal.Open(dir.path());
    TCacheItem changed = MakeItem(2, "http://b:80/", 555);
    changed.Title = "changed";
    index.Put(changed);
    journal.Add(2, false);
    for (int32_t id = 3; id <= 12; ++id) {
      index.Put(MakeItem(id, "http://c:80/" + QByteArray::number(id)));
      journal.Add(id, false);
      test::TouchBody(dir.path(), BodyFileName(id));
    }
    test::TouchBody(dir.path(), BodyFileName(1));
    test::TouchBody(dir.path(), BodyFileName(2));
    ASSERT_EQ(index.JournalQueue(), (std::vector<TJournalEvent>{{12, false}}));
    journal.Wait();
  }

  void ExpectNothingLost() const {
    TCacheIndex reloaded;
    const TCacheLoadReport report = LoadCacheIndex(reloaded, dir.path());
    EXPECT_FALSE(report.Damaged);
    for (int32_t id = 1; id <= 11; ++id)
      EXPECT_NE(reloaded.FindCacheItemById(id), nullptr) << "entry " << id;
    ASSERT_NE(reloaded.FindCacheItemById(2), nullptr);
    EXPECT_EQ(reloaded.FindCacheItemById(2)->Title, "changed");
    EXPECT_EQ(reloaded.FindCacheItemById(2)->Length, 555);
  }

  QTemporaryDir dir;
  TCacheIndex index;
  TCacheWorker worker;
  TCacheJournal journal{index, worker};
};

TEST_F(CacheCrash, AKillBetweenAnyTwoStepsOfTheSaveLosesNothing) {
  const TCacheSaveStep steps[] = {TCacheSaveStep::TempCreated,     TCacheSaveStep::EntriesWritten,
                                  TCacheSaveStep::TempSynced,      TCacheSaveStep::Renamed,
                                  TCacheSaveStep::DirectorySynced, TCacheSaveStep::JournalRemoved,
                                  TCacheSaveStep::OrphansRemoved};
  const QByteArray datBefore = test::ReadAll(QDir(dir.path()).filePath(kCacheFileName));
  const QByteArray bakBefore = test::ReadAll(QDir(dir.path()).filePath(kJournalFileName));
  for (const TCacheSaveStep killAt : steps) {
    SCOPED_TRACE(static_cast<int>(killAt));
    test::WriteBytes(QDir(dir.path()).filePath(kCacheFileName), datBefore);
    test::WriteBytes(QDir(dir.path()).filePath(kJournalFileName), bakBefore);
    const int status = InChild([&] {
      TCacheSaveOptions options;
      options.CleanUpCounter = 9;
      options.AfterStep = [killAt](TCacheSaveStep step) {
        if (step == killAt)
          ::_exit(7);
      };
      SaveCacheIndex(index, dir.path(), options);
      return 0;
    });
    EXPECT_EQ(status, 7);
    ExpectNothingLost();
  }
}

// A journal batch that cannot be written whole (the file size limit here) leaves nothing of
// itself in the file, is logged once, and goes out whole with the next batch; the journal never
// ends in a torn record.
TEST_F(CacheCrash, AFailedJournalWriteIsCutBackLoggedAndWrittenWithTheNextBatch) {
  const QString journalPath = QDir(dir.path()).filePath(kJournalFileName);
  const qint64 before = QFileInfo(journalPath).size();
  QByteArray one;
  AppendCacheRecord(one, MakeItem(20, "http://d:80/20"));
  const int status = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit cap{static_cast<rlim_t>(before + one.size() * 2 + one.size() / 2), old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &cap);
    TCacheIndex fresh;
    TCacheWorker freshWorker;
    TCacheJournal freshJournal(fresh, freshWorker);
    QStringList logged;
    freshJournal.SetProblemHandlers([&](const QString &line) { logged << line; }, [] { ::_exit(9); });
    freshJournal.Open(dir.path());
    auto batch = [&](int32_t first) {
      for (int32_t id = first; id < first + 10; ++id) {
        fresh.Put(MakeItem(id, "http://d:80/" + QByteArray::number(id)));
        freshJournal.Add(id, false);
      }
      freshJournal.Wait();
    };
    batch(20);
    if (QFileInfo(journalPath).size() != before || logged.size() != 1)
      return 3;
    batch(30);
    if (QFileInfo(journalPath).size() != before || logged.size() != 1)
      return 4;
    ::setrlimit(RLIMIT_FSIZE, &old);
    batch(40);
    return logged.size() == 2 ? 0 : 5;
  });
  EXPECT_EQ(status, 0);

  TCacheIndex reloaded;
  EXPECT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
  for (int32_t id = 20; id < 50; ++id)
    EXPECT_NE(reloaded.FindCacheItemById(id), nullptr) << "entry " << id;
  ExpectNothingLost();
}

// A journal write that meets a full disk is reported as such, once for the run's first failure;
// the batch goes out with a later one once there is room again.
TEST_F(CacheCrash, AFullDiskAtTheJournalIsReported) {
  TCacheIndex fresh;
  TCacheWorker freshWorker;
  TCacheJournal freshJournal(fresh, freshWorker);
  int full = 0;
  QStringList logged;
  freshJournal.SetProblemHandlers([&](const QString &line) { logged << line; }, [&] { ++full; });
  freshJournal.Open(dir.path());
  std::optional<test::TFailingJournalWrites> failing(std::in_place, ENOSPC);
  for (int32_t id = 20; id < 30; ++id) {
    fresh.Put(MakeItem(id, "http://d:80/" + QByteArray::number(id)));
    freshJournal.Add(id, false);
  }
  freshJournal.Wait();
  failing.reset();
  EXPECT_EQ(full, 1);
  ASSERT_EQ(logged.size(), 1);
  EXPECT_TRUE(logged[0].contains("CACHE.BAK")) << logged[0].toStdString();
  for (int32_t id = 30; id < 40; ++id) {
    fresh.Put(MakeItem(id, "http://d:80/" + QByteArray::number(id)));
    freshJournal.Add(id, false);
  }
  freshJournal.Wait();
  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir.path());
  for (int32_t id = 20; id < 40; ++id)
    EXPECT_NE(reloaded.FindCacheItemById(id), nullptr) << "entry " << id;
}

// A flush that lists many bodies (a backlog of batches) holds only a few of them open at once:
// under a low descriptor limit every body is still synced, and the relay's sockets are left
// the descriptors they need.
TEST_F(CacheCrash, AFlushOfManyBodiesHoldsFewOfThemOpen) {
  TJournalBatch batch;
  for (int32_t id = 100; id < 600; ++id) {
    AppendCacheRecord(batch.Records, MakeItem(id, "http://e:80/" + QByteArray::number(id)));
    batch.Stored.push_back(id);
    test::TouchBody(dir.path(), BodyFileName(id));
  }
  const int status = InChild([&] {
    const rlimit few{100, 100};
    ::setrlimit(RLIMIT_NOFILE, &few);
    TJournalWriter writer;
    writer.Open(dir.path());
    writer.Stage(batch);
    writer.Flush();
    const TJournalReport report = writer.TakeReport();
    if (!report.Problems.isEmpty())
      return 3;
    return writer.Cost().Bodies == 500 ? 0 : 4;
  });
  EXPECT_EQ(status, 0);
  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir.path());
  EXPECT_NE(reloaded.FindCacheItemById(599), nullptr);
}

// A second name for a file of another kind planted as the journal, however large, is read no
// further than its first bytes: a journal of its own takes its place at once, under a memory
// limit far below the file's size, and the file keeps its bytes.
TEST_F(CacheCrash, AJournalLinkedToAHugeFileIsReplacedWithoutReadingItWhole) {
  QTemporaryDir elsewhere;
  const QString huge = elsewhere.filePath("huge");
  test::WriteBytes(huge, QByteArray("not a journal at all, but text of another kind").repeated(4));
  constexpr off_t kHugeSize = off_t{3} << 30;
  ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), kHugeSize), 0);
  const QString journalPath = QDir(dir.path()).filePath(kJournalFileName);
  ASSERT_TRUE(QFile::remove(journalPath));
  ASSERT_EQ(::link(QFile::encodeName(huge).constData(), QFile::encodeName(journalPath).constData()), 0);
  TJournalBatch batch;
  AppendCacheRecord(batch.Records, MakeItem(12, "http://c:80/12"));
  batch.Stored.push_back(12);
  const int status = InChild([&] {
    const rlimit memory{rlim_t{1} << 30, rlim_t{1} << 30};
    ::setrlimit(RLIMIT_DATA, &memory);
    TJournalWriter writer;
    writer.Open(dir.path());
    writer.Stage(batch);
    writer.Flush();
    const TJournalReport report = writer.TakeReport();
    return report.Problems.size() == 1 && report.Problems[0].contains("link") ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::ReadAll(journalPath), batch.Records);
  EXPECT_EQ(QFileInfo(huge).size(), kHugeSize);
  QFile file(huge);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(16).startsWith("not a journal"));
}

} // namespace
} // namespace ql
