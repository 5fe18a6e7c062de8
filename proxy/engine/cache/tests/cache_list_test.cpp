#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/copy_cache_file.h"
#include "proxy/engine/cache/latest_html_list.h"
#include "proxy/engine/cache/watched_cache_list.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <functional>

namespace ql {
namespace {

class CacheListTest : public ::testing::Test {
protected:
  TCacheItem *Add(const char *url, int mime, TDateTime retrieved, int length = 0, int hits = 0,
                  const char *title = "") {
    TCacheItem &item = items_.emplace_back();
    item.ID = static_cast<int32_t>(items_.size());
    item.URL = url;
    item.MimeIndex = mime;
    item.Retrieved = retrieved;
    item.Length = length;
    item.Hits = hits;
    item.Title = title;
    return &item;
  }

  static std::vector<int32_t> Ids(const TCacheList &list) {
    std::vector<int32_t> ids;
    for (const TCacheItem *item : list)
      ids.push_back(item->ID);
    return ids;
  }

  std::deque<TCacheItem> items_;
};

TEST_F(CacheListTest, TheFiveOrderingsDropEmptySlotsAndReverseForDescending) {
  TCacheItem *a = Add("http://B.test:80/z.gif", 3, 30, 500, 1);
  TCacheItem *b = Add("http://a.test:80/index.html", 1, 10, 100, 7, "Welcome");
  TCacheItem *c = Add("http://c.test:80/docs/readme.txt", 2, 20, 300, 3);
  TCacheItem *d = Add("http://d.test:80/no-title.html", 1, 40, 200, 5);
  TCacheList list{nullptr, a, b, nullptr, c, d};

  SortCacheListByUrl(list, 0);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 1, 3, 4}));
  SortCacheListByUrl(list, 1);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{4, 3, 1, 2}));
  SortCacheListByDate(list, 0);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 3, 1, 4}));
  SortCacheListByLength(list, 1);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 3, 4, 2}));
  SortCacheListByHits(list, 0);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 3, 4, 2}));

  // Title keys: "welcome", "no-title.html", and the file names of the others while
  // ShowFilenames is on ("readme.txt", "z.gif"); off, the others' keys are empty.
  SortCacheListByTitle(list, 0, true);
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{4, 3, 2, 1}));
  SortCacheListByTitle(list, 0, false);
  EXPECT_EQ(Ids(list)[2], 4);
  EXPECT_EQ(Ids(list)[3], 2);

  TCacheList empty{nullptr};
  SortCacheListByHits(empty, 1);
  EXPECT_TRUE(empty.empty());
  TCacheList reversed{a, nullptr, b, c};
  ReverseList(reversed);
  EXPECT_EQ(Ids(reversed), (std::vector<int32_t>{3, 2, 1}));
}

class StopAfter : public TListProgress {
public:
  explicit StopAfter(int calls) : calls_(calls) {}
  std::vector<int> shown;
  bool ShowProgress(int percent) override {
    shown.push_back(percent);
    return static_cast<int>(shown.size()) < calls_;
  }

private:
  int calls_;
};

TEST_F(CacheListTest, FirstPagesVisitedKeepTheEarliestHtmlPageOfEachSite) {
  TCacheList source{
      Add("http://a.test:80/later.html", 1, 50), Add("http://b.test:80/only.html", 1, 20),
      Add("http://a.test:80/picture.gif", 3, 1), nullptr,
      Add("http://a.test:80/first.html", 1, 10), Add("http://c.test:8080/other.html", 1, 5),
  };
  TCacheList list{source[1]};
  BuildLatestHtmlList(nullptr, list, source);
  // a.test's earlier page took the later one's place at the end.
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{2, 4, 5}));
  EXPECT_EQ(FindHtmlItemByUrl(list, "http://a.test:80/elsewhere"), source[4]);
  EXPECT_EQ(FindHtmlItemByUrl(list, "http://z.test:80/"), nullptr);

  std::vector<TCacheItem *> many;
  for (int i = 0; i < 25; ++i)
    many.push_back(Add("http://many.test:80/p.html", 1, 100 - i));
  StopAfter progress(2);
  BuildLatestHtmlList(&progress, list, many);
  EXPECT_EQ(progress.shown, (std::vector<int>{0, 41}));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->Retrieved, 91);
}

// Calls back at every progress step, as the Cache Explorer's event loop would run.
class OnProgress : public TListProgress {
public:
  explicit OnProgress(std::function<void(int)> step) : step_(std::move(step)) {}
  bool ShowProgress(int) override {
    step_(++calls_);
    return true;
  }

private:
  std::function<void(int)> step_;
  int calls_ = 0;
};

TEST(FollowedCacheList, FirstPagesNeverHoldAnEntryFreedWhileTheyAreBuilt) {
  TCacheIndex index;
  for (int32_t id = 1; id <= 30; ++id) {
    TCacheItem item;
    item.ID = id;
    item.URL = "http://site" + QByteArray::number(id % 3) + ".test:80/" + QByteArray::number(id) + ".html";
    item.MimeIndex = 1;
    item.Retrieved = 100 - id;
    index.Put(std::move(item));
  }
  TWatchedCacheList view(index);
  TCacheList all;
  for (const int32_t id : index.Ids())
    all.push_back(index.FindCacheItemById(id));
  view.Assign(all);

  // While the list is built, the cache frees the page kept so far for site 1 (ID 10) and one
  // not yet reached (ID 29, the earliest of site 2).
  OnProgress progress([&](int calls) {
    if (calls == 2) {
      index.Remove(10);
      index.Remove(29);
    }
  });
  BuildLatestHtmlList(&progress, view, view);
  std::vector<int32_t> ids;
  for (const TCacheItem *item : view.Items())
    ids.push_back(item->ID);
  EXPECT_EQ(ids, (std::vector<int32_t>{26, 28, 30}));
}

TEST(CopyCacheFile, ReplacesTheTargetWholeOrLeavesIt) {
  QTemporaryDir dir;
  QFile source(dir.filePath("12.ADL"));
  ASSERT_TRUE(source.open(QIODevice::WriteOnly));
  const QByteArray body(200000, 'b');
  source.write(body);
  source.close();
  QFile target(dir.filePath("saved.html"));
  ASSERT_TRUE(target.open(QIODevice::WriteOnly));
  target.write("old");
  target.close();

  EXPECT_TRUE(CopyCacheFile(QString(dir.filePath("12.ADL")).replace('/', '\\'), dir.filePath("saved.html")));
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_EQ(target.readAll(), body);
  target.close();

  EXPECT_FALSE(CopyCacheFile(dir.filePath("missing.ADL"), dir.filePath("saved.html")));
  EXPECT_FALSE(CopyCacheFile(dir.filePath("12.ADL"), dir.filePath("no/such/dir/x.html")));
  EXPECT_EQ(QFile(dir.filePath("saved.html")).size(), body.size());
  EXPECT_FALSE(QFile::exists(dir.filePath("saved.html.tmp")));
}

// Saving as "notes" leaves the user's "notes.tmp" alone; the replaced file keeps its mode, a
// new one gets the umask, and no file of the copy stays behind.
TEST(CopyCacheFile, TouchesNoOtherFileOfTheUsersAndKeepsTheTargetsMode) {
  const mode_t mask = ::umask(022);
  QTemporaryDir dir;
  const auto write = [&dir](const char *name, const QByteArray &bytes) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  write("12.ADL", "the body");
  write("notes", "old notes");
  write("notes.tmp", "the user's own file");
  ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath("notes")).constData(), 0640), 0);

  EXPECT_TRUE(CopyCacheFile(dir.filePath("12.ADL"), dir.filePath("notes")));
  EXPECT_TRUE(CopyCacheFile(dir.filePath("12.ADL"), dir.filePath("fresh")));
  ::umask(mask);

  const auto read = [&dir](const char *name) {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  };
  EXPECT_EQ(read("notes"), "the body");
  EXPECT_EQ(read("fresh"), "the body");
  EXPECT_EQ(read("notes.tmp"), "the user's own file");
  const auto mode = [&dir](const char *name) {
    struct stat facts {};
    ::stat(QFile::encodeName(dir.filePath(name)).constData(), &facts);
    return facts.st_mode & 07777;
  };
  EXPECT_EQ(mode("notes"), 0640u);
  EXPECT_EQ(mode("fresh"), 0644u);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList({"12.ADL", "fresh", "notes", "notes.tmp"}));
}

} // namespace
} // namespace ql
