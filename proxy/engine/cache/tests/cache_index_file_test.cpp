#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"
#include "proxy/engine/cache/cache_record.h"

#include "support/cache_test_util.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace ql {
namespace {

using test::AppendBytes;
using test::MakeItem;
using test::ReadAll;
using test::TouchBody;
using test::WriteBytes;

class CacheIndexFile : public ::testing::Test {
protected:
  QString Path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
  QByteArray Records(std::initializer_list<TCacheItem> items) const {
    QByteArray bytes;
    for (const TCacheItem &item : items)
      EXPECT_TRUE(AppendCacheRecord(bytes, item));
    return bytes;
  }
  void WriteCacheDat(std::initializer_list<TCacheItem> items) const {
    WriteBytes(Path(kCacheFileName), QByteArray("\x02\x10", 2) + Records(items));
  }
  TCacheSaveReport Save(const TCacheIndex &index, int counter = 0) const {
    TCacheSaveOptions options;
    options.CleanUpCounter = counter;
    return SaveCacheIndex(index, dir.path(), options);
  }

  QTemporaryDir dir;
};

TEST_F(CacheIndexFile, SaveAndLoadKeepEveryStoredField) {
  TCacheIndex index;
  TCacheItem dated = MakeItem(4, "http://a:80/x", 300);
  dated.LastModified = 45123.75;
  dated.LastAccessed = 0;
  dated.Validated = 1;
  dated.Seen = 0;
  dated.PostData = "a=1&b=2";
  dated.Location = "http://elsewhere/";
  index.Put(dated);
  index.Put(MakeItem(2, "http://b:80/", 50, Preserved));
  index.Put(MakeItem(7, "http://c:80/", 20, Auto));
  const TCacheSaveReport saved = Save(index);
  ASSERT_TRUE(saved.Saved) << saved.Error.toStdString();
  EXPECT_EQ(saved.NewCleanUpCounter, 1);
  EXPECT_FALSE(QFileInfo::exists(Path(kTempCacheFileName)));
  EXPECT_TRUE(ReadAll(Path(kCacheFileName)).startsWith(QByteArray("\x02\x10", 2)));

  TCacheIndex loaded;
  const TCacheLoadReport report = LoadCacheIndex(loaded, dir.path());
  EXPECT_FALSE(report.Damaged);
  EXPECT_EQ(loaded.Ids(), (std::vector<int32_t>{4, 2, 7}));
  EXPECT_EQ(loaded.HighestCacheId(), 7);
  EXPECT_EQ(loaded.CacheTotalSize(), 300 + 7); // the Normal entry's body and its POST data
  const TCacheItem &back = *loaded.FindCacheItemById(4);
  EXPECT_EQ(back.LastModified, 45123.75);
  EXPECT_EQ(back.LastAccessed, 0);
  EXPECT_EQ(back.Validated, 0);
  EXPECT_EQ(back.Seen, 0);
  EXPECT_EQ(back.PostData, "a=1&b=2");
  EXPECT_EQ(back.Location, "http://elsewhere/");
  EXPECT_EQ(loaded.FindCacheItemById(2)->LastModified, -1.0);
}

TEST_F(CacheIndexFile, ShortFilesLoadEmptyAndTheEarlierFormatIsLeftAlone) {
  for (const QByteArray &bytes : {QByteArray(), QByteArray("\x02", 1), QByteArray("\x02\x10", 2)}) {
    WriteBytes(Path(kCacheFileName), bytes);
    TCacheIndex index;
    const TCacheLoadReport report = LoadCacheIndex(index, dir.path());
    EXPECT_TRUE(index.IsEmpty());
    EXPECT_FALSE(report.Damaged);
    EXPECT_FALSE(report.OldFormat);
  }

  const QByteArray old = QByteArray("\x01\x0f", 2) + Records({MakeItem(1, "u")});
  WriteBytes(Path(kCacheFileName), old);
  TCacheIndex index;
  EXPECT_TRUE(LoadCacheIndex(index, dir.path()).OldFormat);
  TCacheSaveOptions options;
  options.OldFormatFound = true;
  index.Put(MakeItem(1, "changed"));
  EXPECT_FALSE(SaveCacheIndex(index, dir.path(), options).Saved);
  EXPECT_EQ(ReadAll(Path(kCacheFileName)), old);

  // Any other header is read.
  WriteBytes(Path(kCacheFileName), QByteArray("\x01\x10", 2) + Records({MakeItem(1, "u")}));
  EXPECT_FALSE(LoadCacheIndex(index, dir.path()).OldFormat);
  EXPECT_EQ(index.Count(), 1u);
}

TEST_F(CacheIndexFile, JournalMergesOverTheIndexByIdAndTheLaterRecordWins) {
  WriteCacheDat({MakeItem(1, "http://a:80/", 100), MakeItem(3, "http://b:80/", 30)});
  TCacheItem replaced = MakeItem(1, "http://a:80/", 40);
  replaced.Title = "new";
  TCacheItem later = MakeItem(8, "http://d:80/", 9);
  later.Hits = 5;
  WriteBytes(Path(kJournalFileName), Records({MakeItem(8, "http://d:80/", 7), replaced,
                                              MakeItem(5, "http://c:80/", 1, Preserved), later}));

  TCacheIndex index;
  LoadCacheIndex(index, dir.path());
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{1, 3, 8, 5}));
  EXPECT_EQ(index.FindCacheItemById(1)->Title, "new");
  EXPECT_EQ(index.FindCacheItemById(8)->Hits, 5);
  EXPECT_EQ(index.CacheTotalSize(), 40 + 30 + 9);
  const int32_t next = index.NextCacheId();
  EXPECT_EQ(next, 9);
  index.Put(MakeItem(next, "http://e:80/"));
  EXPECT_TRUE(QFileInfo::exists(Path(kJournalFileName)));

  ASSERT_TRUE(Save(index).Saved);
  EXPECT_FALSE(QFileInfo::exists(Path(kJournalFileName)));
  TCacheIndex again;
  LoadCacheIndex(again, dir.path());
  EXPECT_EQ(again.Ids(), (std::vector<int32_t>{1, 3, 8, 5, 9}));
}

TEST_F(CacheIndexFile, EmptyCacheAtExitRemovesTheIndexButKeepsTheJournal) {
  WriteCacheDat({MakeItem(1, "u")});
  WriteBytes(Path(kJournalFileName), Records({MakeItem(2, "v")}));
  TCacheIndex empty;
  const TCacheSaveReport report = Save(empty);
  EXPECT_TRUE(report.Saved);
  EXPECT_FALSE(report.CounterChanged);
  EXPECT_FALSE(QFileInfo::exists(Path(kCacheFileName)));
  EXPECT_TRUE(QFileInfo::exists(Path(kJournalFileName)));
}

TEST_F(CacheIndexFile, EveryTenthExitDropsEntriesWithoutBodiesAndRemovesOrphans) {
  TCacheIndex index;
  index.Put(MakeItem(1, "a"));
  index.Put(MakeItem(2, "b"));
  index.Put(MakeItem(3, "c"));
  TouchBody(dir.path(), "1.ADL");
  TouchBody(dir.path(), "3.adl");
  TouchBody(dir.path(), "77.Adl");
  TouchBody(dir.path(), "note.txt");

  TCacheSaveReport report = Save(index, 3);
  EXPECT_FALSE(report.CleanedUp);
  EXPECT_EQ(report.NewCleanUpCounter, 4);
  EXPECT_TRUE(QFileInfo::exists(Path("77.Adl")));
  TCacheIndex loaded;
  LoadCacheIndex(loaded, dir.path());
  EXPECT_EQ(loaded.Count(), 3u);

  report = Save(index, 9);
  EXPECT_TRUE(report.CleanedUp);
  EXPECT_EQ(report.NewCleanUpCounter, 0);
  EXPECT_EQ(report.NotWritten, 1u);
  EXPECT_FALSE(QFileInfo::exists(Path("77.Adl")));
  EXPECT_TRUE(QFileInfo::exists(Path("1.ADL")));
  EXPECT_TRUE(QFileInfo::exists(Path("3.adl")));
  EXPECT_TRUE(QFileInfo::exists(Path("note.txt")));
  LoadCacheIndex(loaded, dir.path());
  EXPECT_EQ(loaded.Ids(), (std::vector<int32_t>{1, 3}));
}

// Damage in CACHE.DAT ends only its record loop; the journal still merges, a copy of the file
// is kept, and the clean-up that a partial list would misguide is skipped.
TEST_F(CacheIndexFile, DamagedIndexLoadsWhatPrecedesTheDamage) {
  QByteArray bytes = QByteArray("\x02\x10", 2) + Records({MakeItem(1, "a"), MakeItem(2, "b")});
  QByteArray bad = Records({MakeItem(3, "c")});
  const int32_t huge = 0x7fffff00;
  std::memcpy(bad.data() + 54, &huge, 4);
  bytes += bad + Records({MakeItem(4, "d")});
  WriteBytes(Path(kCacheFileName), bytes);
  WriteBytes(Path(kJournalFileName), Records({MakeItem(5, "e")}));
  TouchBody(dir.path(), "1.ADL");
  TouchBody(dir.path(), "4.ADL");

  TCacheIndex index;
  const TCacheLoadReport report = LoadCacheIndex(index, dir.path());
  EXPECT_TRUE(report.Damaged);
  EXPECT_TRUE(index.LoadDamaged);
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{1, 2, 5}));
  EXPECT_EQ(ReadAll(Path("CACHE.DAT.damaged")), bytes);

  const TCacheSaveReport saved = Save(index, 9);
  EXPECT_TRUE(saved.Saved);
  EXPECT_FALSE(saved.CleanedUp);
  EXPECT_TRUE(QFileInfo::exists(Path("4.ADL")));
  EXPECT_EQ(ReadAll(Path("CACHE.DAT.damaged")), bytes);
}

// A CACHE.DAT that cannot be read at all (here: a directory in its place) is kept aside as
// CACHE.DAT.damaged before the save may put a new index where it stood.
TEST_F(CacheIndexFile, UnreadableIndexIsKeptAsideBeforeTheSaveReplacesIt) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(kCacheFileName));
  WriteBytes(Path(kCacheFileName) + "/inside", "old bytes");
  WriteBytes(Path(kJournalFileName), Records({MakeItem(5, "e")}));
  TouchBody(dir.path(), "5.ADL");

  TCacheIndex index;
  const TCacheLoadReport report = LoadCacheIndex(index, dir.path());
  EXPECT_TRUE(report.Damaged);
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{5}));
  EXPECT_EQ(ReadAll(Path("CACHE.DAT.damaged/inside")), "old bytes");
  EXPECT_TRUE(Save(index).Saved);
  EXPECT_EQ(ReadAll(Path("CACHE.DAT.damaged/inside")), "old bytes");
  TCacheIndex reloaded;
  EXPECT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
  EXPECT_EQ(reloaded.Ids(), (std::vector<int32_t>{5}));
}

TEST_F(CacheIndexFile, TornJournalTailIsIgnoredAndCutSoLaterBatchesLineUp) {
  const QByteArray whole = Records({MakeItem(1, "a"), MakeItem(2, "b")});
  const QByteArray torn = Records({MakeItem(3, "c")}).left(60);
  WriteBytes(Path(kJournalFileName), whole + torn);
  TCacheIndex index;
  const TCacheLoadReport report = LoadCacheIndex(index, dir.path());
  EXPECT_FALSE(report.Damaged);
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(ReadAll(Path(kJournalFileName)), whole);

  TCacheWorker worker;
  TCacheJournal journal(index, worker);
  journal.Open(dir.path());
  for (int32_t id = 10; id < 20; ++id) {
    index.Put(MakeItem(id, "x" + QByteArray::number(id)));
    journal.Add(id, false);
  }
  journal.Wait();
  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir.path());
  EXPECT_EQ(reloaded.Count(), 12u);
}

// A journal with a second name (a link planted in its place, or a backup that links files) is
// read but never written through: its torn tail is not cut there, and the first batch puts a
// journal of its own in its place, holding its whole records, while the other name keeps its
// bytes.
TEST_F(CacheIndexFile, AJournalWithASecondNameIsReadButNeverWrittenThrough) {
  const QByteArray whole = Records({MakeItem(1, "a"), MakeItem(2, "b")});
  const QByteArray bytes = whole + Records({MakeItem(3, "c")}).left(60);
  WriteBytes(Path(kJournalFileName), bytes);
  QTemporaryDir elsewhere;
  const QString other = elsewhere.filePath("linked");
  ASSERT_EQ(
      ::link(QFile::encodeName(Path(kJournalFileName)).constData(), QFile::encodeName(other).constData()), 0);
  TCacheIndex index;
  EXPECT_FALSE(LoadCacheIndex(index, dir.path()).Damaged);
  EXPECT_EQ(index.Ids(), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(ReadAll(other), bytes);

  TCacheWorker worker;
  TCacheJournal journal(index, worker);
  QStringList logged;
  journal.SetProblemHandlers([&](const QString &line) { logged << line; }, {});
  journal.Open(dir.path());
  for (int32_t id = 10; id < 20; ++id) {
    index.Put(MakeItem(id, "x" + QByteArray::number(id)));
    journal.Add(id, false);
  }
  journal.Wait();
  EXPECT_EQ(ReadAll(other), bytes);
  struct stat facts {};
  ASSERT_EQ(::lstat(QFile::encodeName(Path(kJournalFileName)).constData(), &facts), 0);
  EXPECT_EQ(facts.st_nlink, 1u);
  EXPECT_TRUE(ReadAll(Path(kJournalFileName)).startsWith(whole));
  ASSERT_EQ(logged.size(), 1);
  EXPECT_TRUE(logged[0].contains("link")) << logged[0].toStdString();
  TCacheIndex reloaded;
  EXPECT_FALSE(LoadCacheIndex(reloaded, dir.path()).Damaged);
  EXPECT_EQ(reloaded.Count(), 12u);
}

TEST_F(CacheIndexFile, DamagedJournalKeepsACopyAndStopsTheMerge) {
  QByteArray bad = Records({MakeItem(2, "b")});
  const int32_t negative = -4;
  std::memcpy(bad.data() + 62, &negative, 4);
  const QByteArray bytes = Records({MakeItem(1, "a")}) + bad + Records({MakeItem(3, "c")});
  WriteBytes(Path(kJournalFileName), bytes);
  TCacheIndex index;
  EXPECT_TRUE(LoadCacheIndex(index, dir.path()).Damaged);
  EXPECT_EQ(index.Ids(), std::vector<int32_t>{1});
  EXPECT_EQ(ReadAll(Path("CACHE.BAK.damaged")), bytes);
}

// Removals go out with the stores, ten stores at a time; a store of an entry removed while it
// waited is not written from the gone entry, and the removal takes out what CACHE.DAT held.
TEST_F(CacheIndexFile, JournalGoesOutTenStoresAtATimeWithTheRemovals) {
  TCacheIndex index;
  index.Put(MakeItem(1, "u1"));
  index.Put(MakeItem(2, "u2"));
  ASSERT_TRUE(Save(index).Saved);
  TCacheWorker worker;
  TCacheJournal journal(index, worker);
  journal.Open(dir.path());
  for (int32_t id = 3; id <= 11; ++id) {
    index.Put(MakeItem(id, "u" + QByteArray::number(id)));
    journal.Add(id, false);
  }
  index.Remove(2);
  index.Remove(4);
  EXPECT_FALSE(QFileInfo::exists(Path(kJournalFileName)));
  EXPECT_EQ(index.JournalQueue().size(), 11u);
  index.Put(MakeItem(12, "u12"));
  journal.Add(12, false);
  EXPECT_TRUE(index.JournalQueue().empty());
  journal.Wait();

  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir.path());
  EXPECT_EQ(reloaded.Ids(), (std::vector<int32_t>{1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_TRUE(reloaded.JournalQueue().empty());
}

TEST_F(CacheIndexFile, FullDiskHoldsTheJournalBackForTheRestOfTheRun) {
  TCacheIndex index;
  TCacheWorker worker;
  TCacheJournal journal(index, worker);
  journal.Open(dir.path());
  for (int32_t id = 1; id <= 25; ++id) {
    index.Put(MakeItem(id, "u" + QByteArray::number(id)));
    journal.Add(id, id >= 10);
  }
  EXPECT_FALSE(QFileInfo::exists(Path(kJournalFileName)));
  EXPECT_EQ(index.JournalQueue().size(), 25u);
}

} // namespace
} // namespace ql
