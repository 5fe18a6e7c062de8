#include "proxy/engine/search/cache_search.h"

#include "proxy/engine/cache/cache_list_sort.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/cache/watched_cache_list.h"
#include "proxy/engine/search/body_text_finder.h"
#include "proxy/engine/search/filter_dates.h"
#include "proxy/engine/search/go_on_flag.h"

#include <QElapsedTimer>

#include <cmath>
#include <functional>
#include <string>
#include <string_view>

namespace ql {

namespace {

constexpr std::size_t kTypeStep = 15;
constexpr std::size_t kTextStep = 25;
constexpr std::size_t kHtmlStep = 10;
constexpr qint64 kLongestQuietMs = 50;

// Lets window messages run every so many entries, and whenever the last time lies too far
// back; nothing without a window.
class TPacer {
public:
  explicit TPacer(TSearchWindow *window) : window_(window) { since_.start(); }

  void Step(std::size_t done, std::size_t every) {
    if (window_ != nullptr && (done % every == 0 || since_.elapsed() >= kLongestQuietMs))
      Run();
  }
  void Run() {
    if (window_ == nullptr)
      return;
    window_->ProcessMessages();
    since_.restart();
  }
  bool Due() const { return window_ != nullptr && since_.elapsed() >= kLongestQuietMs; }

private:
  TSearchWindow *window_;
  QElapsedTimer since_;
};

// Packs the list when it has empty slots. Packing rebuilds the list's index of IDs, which a
// pass that kept every entry can spare.
template <typename Work> void PackHoles(Work &work) {
  for (const TCacheItem *item : work.Items()) {
    if (item == nullptr) {
      work.Change(PackList);
      return;
    }
  }
}

// Walks the list from the front and empties the slot of every entry that fails keep. Window
// messages run between entries, so an entry may leave the list (its slot emptied) at any
// step. When the go-on flag is cleared the walk stops and every entry not yet reached is
// dropped; false then. The list is packed in any case.
template <typename Work, typename Keep>
bool Pass(Work &work, TPacer &pacer, std::size_t every, bool interruptible, Keep keep) {
  bool completed = true;
  for (std::size_t i = 0; i < work.Count(); ++i) {
    if (interruptible && !GoOnFlag) {
      for (std::size_t rest = i; rest < work.Count(); ++rest)
        work.EmptySlot(rest);
      completed = false;
      break;
    }
    const TCacheItem *item = work.At(i);
    if (item != nullptr && !keep(*item))
      work.EmptySlot(i);
    if (interruptible)
      pacer.Step(i + 1, every);
  }
  PackHoles(work);
  return completed;
}

bool Contains(const QByteArray &text, const QByteArray &needle, bool matchCase) {
  if (matchCase)
    return text.contains(needle);
  // The upper-cased copy goes to one buffer that every test reuses: a search over a large
  // cache makes no allocation per entry.
  static std::string upper;
  upper.assign(text.constData(), static_cast<std::size_t>(text.size()));
  UpperCaseInPlace(upper.data(), upper.size());
  return std::string_view(upper).find(std::string_view(
             needle.constData(), static_cast<std::size_t>(needle.size()))) != std::string_view::npos;
}

QByteArray Needle(const QByteArray &text, bool matchCase) {
  QByteArray needle = text;
  if (!matchCase)
    UpperCaseInPlace(needle.data(), static_cast<std::size_t>(needle.size()));
  return needle;
}

// The file-type class of every MIME index, worked out once per search.
class TTypeClasses {
public:
  TTypeClasses(const TMimeTable &mimes, const TSearch &search) {
    keep_.reserve(static_cast<std::size_t>(mimes.Count()) + 1);
    for (int32_t index = 0; index <= mimes.Count(); ++index)
      keep_.push_back(Keeps(mimes.MimeTypeName(index), search));
    keepBeyond_ = Keeps(mimes.MimeTypeName(-1), search);
  }
  bool Keep(int32_t index) const {
    return index >= 0 && static_cast<std::size_t>(index) < keep_.size()
               ? keep_[static_cast<std::size_t>(index)]
               : keepBeyond_;
  }

private:
  static bool Keeps(const QByteArray &name, const TSearch &search) {
    if ((name.startsWith("text/") && search.Text) || (name.startsWith("image/") && search.Images) ||
        (name.startsWith("video/") && search.Video) || (name.startsWith("audio/") && search.Audio))
      return true;
    return search.Other && !name.contains("text/") && !name.contains("image/") && !name.contains("video/") &&
           !name.contains("audio/");
  }

  std::vector<bool> keep_;
  bool keepBeyond_ = false;
};

// The HTML body pass: an HTML entry whose body holds the text stays; every other entry goes.
template <typename Work>
bool SearchHTMLText(TCacheStore &store, TSearchWindow *window, TPacer &pacer, const TSearch &search,
                    Work &work) {
  if (window != nullptr) {
    window->ShowHtmlProgress();
    pacer.Run();
  }
  TBodyTextFinder finder(search.HtmlText, search.MatchCase);
  const std::size_t total = work.Count();
  bool completed = true;
  for (std::size_t i = 0; i < total; ++i) {
    if (!GoOnFlag) {
      for (std::size_t rest = i; rest < total; ++rest)
        work.EmptySlot(rest);
      completed = false;
      break;
    }
    if (window != nullptr && i % kHtmlStep == 0) {
      window->SetHtmlProgress(static_cast<int>(i * 100 / total));
      pacer.Run();
    }
    const TCacheItem *item = work.At(i);
    if (item == nullptr)
      continue;
    bool keep = false;
    if (item->MimeIndex == TMimeTable::kTextHtml) {
      // A long body lets messages run between its pieces; the entry may go meanwhile.
      const auto goOn = [&] {
        if (pacer.Due())
          pacer.Run();
        return GoOnFlag && work.At(i) == item;
      };
      keep = finder.FileContains(store.BodyPath(item->ID), goOn) && work.At(i) == item;
    }
    if (!keep)
      work.EmptySlot(i);
  }
  PackHoles(work);
  if (window != nullptr)
    window->HideHtmlProgress();
  return completed;
}

// The working list of a search without a window. No window messages run between its steps,
// so nothing can leave the cache while it runs, and the list needs no index of its entries:
// emptying a slot costs nothing.
class TPlainWork {
public:
  explicit TPlainWork(TCacheList items) : items_(std::move(items)) {}
  std::size_t Count() const { return items_.size(); }
  TCacheItem *At(std::size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
  void EmptySlot(std::size_t i) { items_[i] = nullptr; }
  const TCacheList &Items() const { return items_; }
  void Change(const std::function<void(TCacheList &)> &f) { f(items_); }
  TCacheList Take() { return std::move(items_); }

private:
  TCacheList items_;
};

TCacheList WholeCache(TCacheIndex &index) {
  TCacheList list;
  list.reserve(index.Count());
  for (const int32_t id : index.Ids()) {
    TCacheItem *item = index.FindCacheItemById(id);
    if (item->MimeIndex >= 1)
      list.push_back(item);
  }
  return list;
}

// The passes of a search over its working list; false when the go-on flag stopped them.
template <typename Work>
bool RunPasses(TCacheStore &store, const TMimeTable &mimes, TSearchWindow *window, const TSearch &search,
               Work &work) {
  TPacer pacer(window);
  PackHoles(work);

  bool completed = true;
  const auto pass = [&](std::size_t every, auto keep) {
    if (completed)
      completed = Pass(work, pacer, every, true, keep);
  };

  if (!(search.Text && search.Images && search.Video && search.Audio && search.Other)) {
    const TTypeClasses classes(mimes, search);
    pass(kTypeStep, [&](const TCacheItem &item) { return classes.Keep(item.MimeIndex); });
  }
  if (!search.UrlText.isEmpty()) {
    const QByteArray needle = Needle(search.UrlText, search.MatchCase);
    pass(kTextStep, [&](const TCacheItem &item) {
      return item.MimeIndex != 0 && Contains(item.URL, needle, search.MatchCase);
    });
  }
  if (!search.TitleText.isEmpty()) {
    const QByteArray needle = Needle(search.TitleText, search.MatchCase);
    pass(kTextStep, [&](const TCacheItem &item) {
      return item.MimeIndex == TMimeTable::kTextHtml && Contains(item.Title, needle, search.MatchCase);
    });
  }
  TDateTime from = 0;
  if (!search.FromDate.isEmpty() && StrToDateTime(QString::fromUtf8(search.FromDate), &from))
    pass(kTextStep, [&](const TCacheItem &item) { return item.MimeIndex >= 1 && item.Retrieved >= from; });
  TDateTime to = 0;
  if (!search.ToDate.isEmpty() && StrToDateTime(QString::fromUtf8(search.ToDate), &to)) {
    if (to == std::floor(to))
      to += 1;
    pass(kTextStep, [&](const TCacheItem &item) { return item.MimeIndex >= 1 && item.Retrieved <= to; });
  }
  if (search.AutoEntries) {
    Pass(work, pacer, kTextStep, false, [&](const TCacheItem &item) {
      const auto generation = static_cast<uint16_t>(item.BMGeneration);
      return item.MimeIndex != 0 && item.BMSerial == search.BookmarkId &&
             (search.OldGenerations ? generation < search.Generation : generation == search.Generation);
    });
  }
  if (completed && !search.HtmlText.isEmpty())
    completed = SearchHTMLText(store, window, pacer, search, work);
  return completed;
}

} // namespace

bool SearchCache(TCacheStore &store, const TMimeTable &mimes, TSearchWindow *window, const TSearch &search,
                 TWatchedCacheList &list) {
  GoOnFlag = true;
  TCacheList start = search.ApplyToCurrent && list.Exists() ? list.Items() : WholeCache(store.Index());
  if (window == nullptr) {
    TPlainWork work(std::move(start));
    const bool completed = RunPasses(store, mimes, window, search, work);
    list.Assign(work.Take());
    return completed;
  }
  TWatchedCacheList work(store.Index());
  work.Assign(std::move(start));
  const bool completed = RunPasses(store, mimes, window, search, work);
  list.Swap(work);
  return completed;
}

} // namespace ql
