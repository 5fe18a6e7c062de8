// Times the cache index files and lookups: for each size it builds an index, saves it, loads it
// with a 1000-record journal beside it, and looks entries up by URL and by ID. The reference
// column is a walk of the list, the way a lookup would go without the hash indexes.
#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

using namespace ql;

QByteArray UrlOf(int i) {
  return "http://host" + QByteArray::number(i % 997) + ".example:80/section/" + QByteArray::number(i) +
         "/page.html";
}

TCacheItem Entry(int32_t id) {
  TCacheItem item;
  item.ID = id;
  item.Status = 200;
  item.URL = UrlOf(id);
  item.Title = "Page number " + QByteArray::number(id);
  item.LastModified = 45000.5;
  item.LastAccessed = 46000.25;
  item.Retrieved = 46000.0;
  item.MimeIndex = 1;
  item.Length = 4000 + id % 5000;
  return item;
}

double Ms(const QElapsedTimer &timer) {
  return timer.nsecsElapsed() / 1e6;
}

void Run(int count) {
  QTemporaryDir dir;
  TCacheIndex index;
  for (int32_t id = 1; id <= count; ++id)
    index.Put(Entry(id));

  QElapsedTimer timer;
  timer.start();
  const TCacheSaveReport saved = SaveCacheIndex(index, dir.path(), {});
  const double saveMs = Ms(timer);
  if (!saved.Saved) {
    std::fprintf(stderr, "save failed: %s\n", qPrintable(saved.Error));
    std::exit(1);
  }

  // A journal of 1000 records: 500 changed entries and 500 new ones, in batches of ten.
  TCacheJournal journal(index);
  journal.Open(dir.path());
  for (int32_t i = 0; i < 1000; ++i) {
    const int32_t id = i < 500 ? 1 + i * (count / 500) : count + i;
    index.Put(Entry(id));
    journal.Add(id, false);
  }
  journal.Close();
  index.Clear();

  timer.restart();
  const TCacheLoadReport loaded = LoadCacheIndex(index, dir.path());
  const double loadMs = Ms(timer);
  if (loaded.Damaged || index.Count() != static_cast<std::size_t>(count + 500)) {
    std::fprintf(stderr, "load gave %zu entries\n", index.Count());
    std::exit(1);
  }

  std::mt19937 random(42);
  std::uniform_int_distribution<int> pick(1, count);
  constexpr int kLookups = 200000;
  std::vector<QByteArray> urls;
  urls.reserve(kLookups);
  for (int i = 0; i < kLookups; ++i)
    urls.push_back(UrlOf(pick(random)));
  std::size_t found = 0;
  timer.restart();
  for (const QByteArray &url : urls)
    found += index.IdsForUrl(url).size();
  const double urlNs = timer.nsecsElapsed() / double(kLookups);
  timer.restart();
  for (int i = 0; i < kLookups; ++i)
    found += index.FindCacheItemById(pick(random)) != nullptr;
  const double idNs = timer.nsecsElapsed() / double(kLookups);

  constexpr int kWalks = 200;
  timer.restart();
  for (int i = 0; i < kWalks; ++i) {
    const QByteArray &url = urls[static_cast<std::size_t>(i)];
    bool hit = false;
    index.ForEach([&](const TCacheItem &item) { hit = hit || item.URL == url; });
    found += hit;
  }
  const double walkNs = timer.nsecsElapsed() / double(kWalks);

  std::printf("%9d %10.1f %10.1f %12.0f %12.0f %16.0f   (%zu)\n", count, saveMs, loadMs, urlNs, idNs, walkNs,
              found % 10);
}

} // namespace

int main(int argc, char **argv) {
  std::printf("%9s %10s %10s %12s %12s %16s\n", "entries", "save ms", "load ms", "url ns", "id ns",
              "reference walk ns");
  for (int i = 1; i < argc; ++i)
    Run(std::atoi(argv[i]));
  return 0;
}
