#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/cache/watched_cache_list.h"
#include "proxy/engine/search/cache_search.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/engine/search/go_on_flag.h"

#include "support/cache_test_util.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace ql {
namespace {

// MIME indexes of the built-in table.
constexpr int32_t kHtml = 1, kGif = 2, kPlain = 4, kMpeg = 24, kWav = 26, kZip = 60;

class CacheSearchTest : public ::testing::Test {
protected:
  CacheSearchTest() : store_(index_, dir_.path()), results_(index_) {}
  ~CacheSearchTest() override { GoOnFlag = true; }

  // An entry with a body file; retrieved on the given day (and time).
  void Add(int32_t id, const QByteArray &url, int32_t mime, const QByteArray &body = "body",
           TDateTime retrieved = 45000.5, const QByteArray &title = {}) {
    TCacheItem item = test::MakeItem(id, url, static_cast<int32_t>(body.size()));
    item.MimeIndex = mime;
    item.Retrieved = retrieved;
    item.Title = title;
    index_.Put(std::move(item));
    test::WriteBytes(store_.BodyPath(id), body);
  }

  std::vector<int32_t> Search(const TSearch &search, TSearchWindow *window = nullptr) {
    completed_ = SearchCache(store_, mimes_, window, search, results_);
    return Ids();
  }

  std::vector<int32_t> Ids() const {
    std::vector<int32_t> ids;
    for (const TCacheItem *item : results_.Items())
      ids.push_back(item == nullptr ? -1 : item->ID);
    return ids;
  }

  QTemporaryDir dir_;
  TCacheIndex index_;
  TCacheStore store_;
  TMimeTable mimes_;
  TWatchedCacheList results_;
  bool completed_ = false;
};

// Lets a test act at each message pump, as the Filter dialog's event loop would.
class ScriptedWindow : public TSearchWindow {
public:
  std::function<void(int pumps)> onPump;
  int pumps = 0;
  std::vector<int> progress;
  bool shown = false;
  bool hidden = false;

  void ProcessMessages() override {
    ++pumps;
    if (onPump)
      onPump(pumps);
  }
  void ShowHtmlProgress() override { shown = true; }
  void SetHtmlProgress(int percent) override { progress.push_back(percent); }
  void HideHtmlProgress() override { hidden = true; }
};

TEST_F(CacheSearchTest, CriteriaCombineAndEachPassKeepsOnlyWhatPasses) {
  Add(1, "http://news.test:80/index.html", kHtml, "x", 45000.25, "Daily News");
  Add(2, "http://news.test:80/logo.gif", kGif, "x", 45001.75);
  Add(3, "http://shop.test:80/Catalog.txt", kPlain, "x", 45002.0);
  Add(4, "http://shop.test:80/clip.mpg", kMpeg, "x", 45003.5);
  Add(5, "http://shop.test:80/bell.wav", kWav, "x", 45004.5);
  Add(6, "http://shop.test:80/all.zip", kZip, "x", 45005.5);
  Add(7, "http://shop.test:80/unknown", 0, "x", 45005.5);

  // All five classes on: the type pass is skipped, every entry with a MIME type stays.
  EXPECT_EQ(Search(TSearch()), (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(completed_);

  TSearch types;
  types.Text = false;
  types.Video = false;
  EXPECT_EQ(Search(types), (std::vector<int32_t>{2, 5, 6}));
  types.Other = false;
  EXPECT_EQ(Search(types), (std::vector<int32_t>{2, 5}));

  TSearch url;
  url.UrlText = "SHOP";
  EXPECT_EQ(Search(url), (std::vector<int32_t>{3, 4, 5, 6}));
  url.MatchCase = true;
  EXPECT_TRUE(Search(url).empty());
  url.UrlText = "Catalog";
  EXPECT_EQ(Search(url), (std::vector<int32_t>{3}));

  // A title search never keeps a non-HTML entry, whatever its title.
  index_.FindCacheItemById(2)->Title = "News logo";
  TSearch title;
  title.TitleText = "news";
  EXPECT_EQ(Search(title), (std::vector<int32_t>{1}));

  // A To date without a time keeps the whole day; with a time, up to that time.
  TSearch dates;
  dates.FromDate = DateToStr(45001).toUtf8();
  dates.ToDate = DateToStr(45003).toUtf8();
  EXPECT_EQ(Search(dates), (std::vector<int32_t>{2, 3, 4}));
  dates.ToDate = DateTimeToStr(45003.25).toUtf8();
  EXPECT_EQ(Search(dates), (std::vector<int32_t>{2, 3}));

  // Applied to the current selection, a search narrows the list it is given.
  TSearch narrow;
  narrow.UrlText = "news";
  narrow.ApplyToCurrent = true;
  EXPECT_EQ(Search(narrow), (std::vector<int32_t>{2}));
  narrow.ApplyToCurrent = false;
  EXPECT_EQ(Search(narrow), (std::vector<int32_t>{1, 2}));
}

TEST_F(CacheSearchTest, AutobrowseEntriesOfTheCurrentOrOfEarlierGenerations) {
  for (int32_t id = 1; id <= 4; ++id)
    Add(id, "http://auto.test:80/" + QByteArray::number(id), kHtml);
  const auto mark = [&](int32_t id, int32_t serial, int32_t generation) {
    index_.FindCacheItemById(id)->BMSerial = serial;
    index_.FindCacheItemById(id)->BMGeneration = generation;
  };
  mark(1, 7, 3);
  mark(2, 7, 2);
  mark(3, 8, 3);
  mark(4, 7, 1);
  TSearch search;
  search.AutoEntries = true;
  search.BookmarkId = 7;
  search.Generation = 3;
  EXPECT_EQ(Search(search), (std::vector<int32_t>{1}));
  search.OldGenerations = true;
  EXPECT_EQ(Search(search), (std::vector<int32_t>{2, 4}));
}

TEST_F(CacheSearchTest, HtmlBodiesAreSearchedInPiecesThatOverlap) {
  // "needle" spans the boundary between the first two 8000-byte pieces.
  QByteArray spanning(20000, 'a');
  spanning.replace(7997, 6, "NeEdLe");
  Add(1, "http://a.test:80/1.html", kHtml, spanning);
  Add(2, "http://a.test:80/2.html", kHtml, QByteArray(20000, 'b') + "needle");
  Add(3, "http://a.test:80/3.txt", kPlain, "needle");
  Add(4, "http://a.test:80/4.html", kHtml, "no match");
  Add(5, "http://a.test:80/5.html", kHtml, "needle");
  QFile::remove(store_.BodyPath(5));

  ScriptedWindow window;
  TSearch search;
  search.HtmlText = "needle";
  EXPECT_EQ(Search(search, &window), (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(window.shown);
  EXPECT_TRUE(window.hidden);
  EXPECT_EQ(window.progress, std::vector<int>{0});
  search.MatchCase = true;
  EXPECT_EQ(Search(search), (std::vector<int32_t>{2}));
}

TEST_F(CacheSearchTest, CancelKeepsWhatPassedUpToThePointReached) {
  for (int32_t id = 1; id <= 100; ++id)
    Add(id, "http://site" + QByteArray::number(id % 2) + ".test:80/" + QByteArray::number(id), kHtml);
  ScriptedWindow window;
  // The user presses Cancel during the second pump of the URL pass (after 50 entries).
  window.onPump = [](int pumps) {
    if (pumps == 2)
      GoOnFlag = false;
  };
  TSearch search;
  search.UrlText = "site1";
  const std::vector<int32_t> ids = Search(search, &window);
  EXPECT_FALSE(completed_);
  ASSERT_EQ(ids.size(), 25u);
  EXPECT_EQ(ids.front(), 1);
  EXPECT_EQ(ids.back(), 49);

  // The next search sets the flag again and runs through.
  EXPECT_EQ(Search(search).size(), 50u);
  EXPECT_TRUE(completed_);
}

TEST_F(CacheSearchTest, EntriesFreedWhileASearchRunsNeverReachTheResult) {
  for (int32_t id = 1; id <= 60; ++id)
    Add(id, "http://a.test:80/" + QByteArray::number(id) + ".html", kHtml, "needle");
  results_.Assign({index_.FindCacheItemById(1), index_.FindCacheItemById(2)});
  std::vector<std::size_t> emptied;
  results_.SetOnSlotEmptied([&](std::size_t slot) { emptied.push_back(slot); });

  // Between passes the cache evicts entries: one already passed, one not yet reached, and one
  // the list shown holds.
  ScriptedWindow window;
  window.onPump = [&](int pumps) {
    if (pumps == 1) {
      index_.Remove(2);
      index_.Remove(40);
      index_.Remove(3);
    }
  };
  TSearch search;
  search.UrlText = ".html";
  search.HtmlText = "needle";
  const std::vector<int32_t> ids = Search(search, &window);
  EXPECT_EQ(ids.size(), 57u);
  for (const int32_t gone : {2, 3, 40})
    EXPECT_EQ(std::find(ids.begin(), ids.end(), gone), ids.end()) << gone;
  // The list shown before the search lost its entry 2 at once, in its slot 1.
  EXPECT_EQ(emptied, std::vector<std::size_t>{1});

  // After the search, a delete empties the entry's slot in the result.
  index_.Remove(10);
  EXPECT_EQ(results_.At(7), nullptr);
  EXPECT_EQ(results_.Count(), 57u);
}

TEST(FilterDates, WordsAndAgesBecomeDatesThatReadBack) {
  const TDateTime now = 45100.75; // 18:00
  EXPECT_EQ(SpecialDateConversion("&Today", now), DateToStr(45100));
  EXPECT_EQ(SpecialDateConversion("past two weeks", now), DateToStr(45086));
  EXPECT_EQ(SpecialDateConversion("Past Month", now), DateToStr(45070));
  EXPECT_EQ(SpecialDateConversion("2 d", now), DateTimeToStr(45098.75));
  EXPECT_EQ(SpecialDateConversion("hours", now), "");
  EXPECT_EQ(SpecialDateConversion("2024-1-2", now), "2024-1-2");

  TDateTime value = 0;
  ASSERT_TRUE(StrToDateTime(DateTimeToStr(45098.75), &value));
  EXPECT_NEAR(value, 45098.75, 1e-9);
  ASSERT_TRUE(StrToDateTime("2023-7-14 9:05", &value));
  EXPECT_EQ(DateTimeToStr(value), "2023-07-14 09:05:00");
  EXPECT_FALSE(StrToDateTime("next tuesday", &value));
  EXPECT_FALSE(StrToDateTime(DateToStr(45000) + " 25:00", &value));
}

} // namespace
} // namespace ql
