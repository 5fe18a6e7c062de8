#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/list_progress.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/import/browser_cache_import.h"
#include "proxy/engine/import/hash_cache_index.h"

#include "support/cache_store_fixture.h"
#include "support/cache_test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace ql {
namespace {

void PutWord(QByteArray &page, std::size_t at, std::size_t value) {
  page[static_cast<qsizetype>(at)] = static_cast<char>(value & 0xff);
  page[static_cast<qsizetype>(at + 1)] = static_cast<char>(value >> 8 & 0xff);
}

void PutText(QByteArray &page, std::size_t at, const QByteArray &text) {
  page.replace(static_cast<qsizetype>(at), text.size(), text);
}

// Writes one record of the binary layout at s and returns where the next one begins. The
// lengths written count the closing zero byte; urlLength and typeLength replace them.
std::size_t PutRecord(QByteArray &page, std::size_t s, const QByteArray &url, const QByteArray &name,
                      const QByteArray &type, std::size_t urlLength = 0, std::size_t typeLength = 0) {
  const std::size_t f = static_cast<std::size_t>(name.size()) + 1;
  const std::size_t c = typeLength != 0 ? typeLength : static_cast<std::size_t>(type.size()) + 1;
  const std::size_t u = urlLength != 0 ? urlLength : static_cast<std::size_t>(url.size()) + 1;
  const std::size_t extra = 2;
  const std::size_t typeField = f + 66 + extra;
  const std::size_t first = typeField + 4 + static_cast<std::size_t>(type.size()) + 1;
  PutWord(page, s, first);
  PutWord(page, s + 29, f);
  PutText(page, s + 33, name);
  PutWord(page, s + f + 62, extra);
  PutWord(page, s + typeField, c);
  PutText(page, s + typeField + 4, type);
  PutWord(page, s + first + 4, u);
  PutText(page, s + first + 8, url);
  const std::size_t further = s + first + 8 + u;
  if (further + 2 <= static_cast<std::size_t>(page.size()))
    PutWord(page, further, 3);
  return further + 3 + 4;
}

// A page whose offset table points at the data area, which opens with a special entry.
QByteArray Page(std::size_t size, std::size_t dataStart = 200) {
  QByteArray page(static_cast<qsizetype>(size), '\0');
  PutWord(page, 0, 2);
  PutWord(page, 2, dataStart + 40);
  PutWord(page, 4, dataStart);
  PutText(page, dataStart, "INT_DiskCacheNumber");
  return page;
}

class ImportTest : public ::testing::Test {
protected:
  ImportTest() : store_(index_, dir_.filePath("data")) {
    QDir(dir_.path()).mkpath("data");
    QDir(dir_.path()).mkpath("browser");
    store_.SetMaxCacheItemSize(1000);
  }

  QString Browser(const QString &name) const { return dir_.filePath("browser/" + name); }

  TImportReport Import(const QString &index, TListProgress *progress = nullptr) {
    return ImportBrowserCache(store_, mimes_, Browser(index), progress);
  }

  QTemporaryDir dir_;
  TCacheIndex index_;
  TCacheStore store_;
  TMimeTable mimes_;
};

TEST_F(ImportTest, TextListEntersEachObjectOnceAndNeverLeavesItsDirectory) {
  index_.Put(test::MakeItem(41, "http://old.test:80/"));
  test::WriteBytes(store_.BodyPath(41), QByteArray(100, 'o'));
  test::WriteBytes(Browser("A1B2.htm"), "<html><title>Imported Page</title></html>");
  test::WriteBytes(Browser("pic.gif"), "GIF89a");
  test::WriteBytes(Browser("big.htm"), QByteArray(1001, 'x'));
  test::WriteBytes(dir_.filePath("secret.txt"), "outside");
  test::WriteBytes(dir_.filePath("outside.txt"), "outside");
  ASSERT_TRUE(QFile::link("../outside.txt", Browser("link.htm")));
  const QByteArray tab = "\t";
  const auto line = [&](const QByteArray &file, const QByteArray &url, const QByteArray &type) {
    return "1" + tab + "2" + tab + "3" + tab + file + tab + url + tab + type + tab + "7" + tab + "8\r\n";
  };
  test::WriteBytes(Browser("index.txt"),
                   "mcom-cache version 1\r\n" +
                       line("C:\\CACHE\\A1B2.htm", "http://www.a.test/page.html", "TEXT/HTML") +
                       line("pic.gif", "http://www.a.test:8080/pic.gif", "image/gif") +
                       line("../secret.txt", "http://www.a.test/secret", "text/plain") +
                       line("..", "http://www.a.test/dots", "text/plain") +
                       line("link.htm", "http://www.a.test/link.htm", "text/html") +
                       line("big.htm", "http://www.a.test/big.htm", "text/html") +
                       line("gone.htm", "http://www.a.test/gone.htm", "text/html") +
                       "\r\n1\t2\t3\tpic.gif\thttp://short.test/\ttext/html\t7\r\n");

  const TImportReport report = Import("index.txt");
  // "../secret.txt" names secret.txt of the index's own directory, where there is none; a
  // symbolic link is never followed out of it.
  EXPECT_EQ(report.Imported, 2);
  EXPECT_EQ(report.Refused, 2);
  EXPECT_TRUE(index_.IdsForUrl("http://www.a.test:80/link.htm").empty());
  EXPECT_EQ(report.TooLarge, 1);
  EXPECT_EQ(report.Missing, 2);
  EXPECT_TRUE(report.Error.isEmpty());

  // New IDs follow the highest one, which rises with them.
  const TCacheItem *page = index_.FindCacheItemById(42);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->URL, "http://www.a.test:80/page.html");
  EXPECT_EQ(page->Title, "Imported Page");
  EXPECT_EQ(page->MimeIndex, TMimeTable::kTextHtml);
  EXPECT_EQ(page->EntryType, Normal);
  EXPECT_EQ(page->LastModified, kNoDate);
  EXPECT_EQ(page->Status, 200);
  EXPECT_EQ(test::ReadAll(store_.BodyPath(42)), "<html><title>Imported Page</title></html>");
  const TCacheItem *picture = index_.FindCacheItemById(43);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->URL, "http://www.a.test:8080/pic.gif");
  EXPECT_EQ(index_.HighestCacheId(), 43);
  EXPECT_EQ(index_.NextCacheId(), 44);
  EXPECT_EQ(index_.CacheTotalSize(), 100 + 41 + 6);
  EXPECT_EQ(index_.Count(), 3u);

  // A second import finds every object present.
  const TImportReport again = Import("index.txt");
  EXPECT_EQ(again.Imported, 0);
  EXPECT_EQ(again.Present, 2);
  EXPECT_EQ(index_.Count(), 3u);
}

TEST_F(ImportTest, BinaryIndexImportsItsRecordsAndCountsTheDamagedOnes) {
  for (const char *name : {"00aa.htm", "00bb.gif", "00cc.txt", "00dd.htm", "00ee.htm"})
    test::WriteBytes(Browser(name), "<title>T</title>");
  QByteArray file(kSmallIndexPage, '\x11'); // the header page
  QByteArray page = Page(kSmallIndexPage);
  std::size_t at = 200 + 19;
  at = PutRecord(page, at, "http://bin.test/a.htm", "00AA.HTM", "Text/HTML");
  at = PutRecord(page, at, "http://bin.test/b.gif", "00bb.gif", "image/gif");
  // A URL of 512 bytes or more, and a content type of 100 or more, are not taken.
  at = PutRecord(page, at, "http://bin.test/long", "00cc.txt", "text/plain", 600);
  at = PutRecord(page, at, "http://bin.test/c.txt", "00cc.txt", "text/plain", 0, 100);
  // A record whose URL length runs past the page ends the page's scan.
  PutRecord(page, at, "http://bin.test/d.htm", "00dd.htm", "text/html", 4000);
  file += page;
  QByteArray second = Page(kSmallIndexPage, 3000);
  PutRecord(second, 3000 + 19, "http://bin.test/e.htm", "00ee.htm", "text/html");
  file += second;
  // A page whose offsets point nowhere, and a short last page.
  QByteArray broken(kSmallIndexPage, '\0');
  PutWord(broken, 0, 3);
  file += broken;
  file += QByteArray(100, '\x01');
  test::WriteBytes(Browser("fat.db"), file);

  const TImportReport report = Import("fat.db");
  EXPECT_EQ(report.Imported, 4);
  EXPECT_EQ(report.Refused, 1);
  EXPECT_EQ(report.Skipped, 3);
  std::vector<QByteArray> urls;
  index_.ForEach([&](const TCacheItem &item) { urls.push_back(item.URL); });
  EXPECT_EQ(urls, (std::vector<QByteArray>{"http://bin.test:80/a.htm", "http://bin.test:80/b.gif",
                                           "http://bin.test:80/c.txt", "http://bin.test:80/e.htm"}));
  EXPECT_EQ(index_.FindCacheItemById(1)->MimeIndex, TMimeTable::kTextHtml);
  EXPECT_EQ(index_.FindCacheItemById(3)->MimeIndex, 0);

  // One block only: read with 16384-byte pages, of which there is no second.
  test::WriteBytes(Browser("small.db"), file.left(kSmallIndexPage));
  const TImportReport small = Import("small.db");
  EXPECT_EQ(small.Imported + small.Present + small.Skipped, 0);
}

class StopAtOnce : public TListProgress {
public:
  int calls = 0;
  bool ShowProgress(int) override {
    ++calls;
    return false;
  }
};

TEST_F(ImportTest, AProgressThatSaysStopEndsTheImport) {
  QByteArray list = "MOSAIC-COM\n";
  for (int i = 0; i < 20; ++i) {
    const QByteArray name = QByteArray::number(i) + ".htm";
    test::WriteBytes(Browser(name), "x");
    list += "1\t2\t3\t" + name + "\thttp://s.test/" + name + "\ttext/html\t7\t8\n";
  }
  test::WriteBytes(Browser("list"), list);
  StopAtOnce progress;
  const TImportReport report = Import("list", &progress);
  EXPECT_TRUE(report.Stopped);
  EXPECT_EQ(progress.calls, 1);
  EXPECT_EQ(report.Imported, 4);

  EXPECT_FALSE(Import("no-such-index").Error.isEmpty());
}

// Once IDs are taken again from the lowest free ones, an object imported after an eviction
// must not take the evicted entry's ID before its removal is on the disk: the removal of the
// old body (queued behind the relay) would take the imported one with it, and a crash would
// leave the old entry's record naming the imported body.
TEST_F(ImportTest, AnImportInTheReusedIdModeTakesNoIdWhoseRemovalIsNotOnTheDisk) {
  index_.Put(test::MakeItem(std::numeric_limits<int32_t>::max(), "http://seed.test:80/", 4, Preserved));
  index_.Put(test::MakeItem(1, "http://old.test:80/", 30));
  test::WriteBytes(store_.BodyPath(1), QByteArray(30, 'o'));
  store_.SetMaxCacheSize(60);
  QByteArray list = "MCOM-CACHE\n";
  for (const char *name : {"a.htm", "b.htm", "c.htm"}) {
    test::WriteBytes(Browser(name), QByteArray(30, name[0]));
    list += QByteArray("1\t2\t3\t") + name + "\thttp://i.test/" + name + "\ttext/plain\t7\t8\n";
  }
  test::WriteBytes(Browser("list"), list);
  std::vector<int32_t> evicted;
  index_.AddRemovalListener([&](int32_t id) { evicted.push_back(id); });
  ASSERT_EQ(Import("list").Imported, 3);
  ASSERT_FALSE(evicted.empty());
  test::FinishRemovals(store_);
  for (const char *name : {"a.htm", "b.htm", "c.htm"}) {
    const std::vector<int32_t> ids = index_.IdsForUrl("http://i.test:80/" + QByteArray(name));
    if (ids.empty())
      continue;
    EXPECT_EQ(std::count(evicted.begin(), evicted.end(), ids.front()), 0) << name;
    EXPECT_EQ(test::ReadAll(store_.BodyPath(ids.front())), QByteArray(30, name[0])) << name;
  }
}

// Imported entries go to the journal as stored ones do, their bodies synced with their batch:
// after a kill, which saves no index, the next load still lists every one.
TEST_F(ImportTest, ImportedEntriesAreJournaledWithTheirBodies) {
  QByteArray list = "MCOM-CACHE\n";
  for (const char *name : {"a.htm", "b.htm", "c.htm"}) {
    test::WriteBytes(Browser(name), QByteArray(30, name[0]));
    list += QByteArray("1\t2\t3\t") + name + "\thttp://i.test/" + name + "\ttext/plain\t7\t8\n";
  }
  test::WriteBytes(Browser("list"), list);
  ASSERT_EQ(Import("list").Imported, 3);
  store_.Journal().Wait();
  EXPECT_EQ(store_.Journal().Cost().Bodies, 3u);
  TCacheIndex reloaded;
  LoadCacheIndex(reloaded, dir_.filePath("data"));
  for (const char *name : {"a.htm", "b.htm", "c.htm"})
    EXPECT_EQ(reloaded.IdsForUrl("http://i.test:80/" + QByteArray(name)).size(), 1u) << name;
}

} // namespace
} // namespace ql
