#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"
#include "proxy/engine/cache/cache_record.h"

#include "support/cache_test_util.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
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
  TCacheJournal journal{index};
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

// A journal batch cut short by the file size limit (a full disk looks the same) leaves the file
// ending at a record boundary; what did get out loads, and the load sees no damage.
TEST_F(CacheCrash, ShortJournalWriteIsCutBackToTheLastWholeRecord) {
  const QString journal = QDir(dir.path()).filePath(kJournalFileName);
  const qint64 before = QFileInfo(journal).size();
  QByteArray one;
  AppendCacheRecord(one, MakeItem(20, "http://d:80/20"));
  const int status = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = static_cast<rlim_t>(before + one.size() * 2 + one.size() / 2);
    const rlimit cap{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &cap);
    TCacheIndex fresh;
    TCacheJournal freshJournal(fresh);
    freshJournal.Open(dir.path());
    for (int32_t id = 20; id < 30; ++id) {
      fresh.Put(MakeItem(id, "http://d:80/" + QByteArray::number(id)));
      if (!freshJournal.Add(id, false))
        return 3;
    }
    return 0;
  });
  EXPECT_EQ(status, 3);
  EXPECT_EQ(QFileInfo(journal).size(), before + 2 * one.size());

  TCacheIndex reloaded;
  EXPECT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
  EXPECT_NE(reloaded.FindCacheItemById(21), nullptr);
  EXPECT_EQ(reloaded.FindCacheItemById(22), nullptr);
  ExpectNothingLost();
}

} // namespace
} // namespace ql
