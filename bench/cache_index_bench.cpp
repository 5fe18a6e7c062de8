// Times the cache index files and lookups: for each size it builds an index, saves it, loads it
// with a 1000-record journal beside it, and looks entries up by URL and by ID. The reference
// column is a walk of the list, the way a lookup would go without the hash indexes.
// A second table times evictions in a full cache (the eviction order beside a full pass over the
// list with a sort), and a third the stores while the journal is compacted into CACHE.DAT: the
// longest a store waits then, beside the longest otherwise.
#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/cache_journal.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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
  TCacheWorker worker;
  TCacheJournal journal(index, worker);
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

// A full cache of count entries accessed at distinct moments: each new entry takes the place of
// the least recently used one.
void RunEvictions(int count) {
  TCacheIndex index;
  std::mt19937 random(42);
  for (int32_t id = 1; id <= count; ++id) {
    TCacheItem item = Entry(id);
    item.LastAccessed = 46000.0 + (random() % 1000000) / 1e6;
    index.Put(std::move(item));
  }
  const TDateTime horizon = 47000.0;
  int32_t next = count + 1;
  constexpr int kEvictions = 100000;
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < kEvictions; ++i) {
    index.Remove(index.LeastRecentlyUsed(horizon)->ID);
    TCacheItem item = Entry(next++);
    item.LastAccessed = 46001.0 + i / 1e6;
    index.Put(std::move(item));
  }
  const double orderNs = timer.nsecsElapsed() / double(kEvictions);
  index.JournalQueue().clear();

  // The full pass: every Normal entry a candidate, a stable sort by date, the first one out.
  constexpr int kPasses = 20;
  timer.restart();
  for (int i = 0; i < kPasses; ++i) {
    std::vector<std::pair<TDateTime, int32_t>> candidates;
    index.ForEach([&](const TCacheItem &item) {
      if (item.EntryType == Normal && item.LastAccessed < horizon)
        candidates.emplace_back(item.LastAccessed, item.ID);
    });
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    index.Remove(candidates.front().second);
    TCacheItem item = Entry(next++);
    item.LastAccessed = 46002.0 + i / 1e6;
    index.Put(std::move(item));
  }
  const double passNs = timer.nsecsElapsed() / double(kPasses);
  std::printf("%9d %16.0f %22.0f\n", count, orderNs, passNs);
}

// The processor time the calling thread has spent, in ms: unlike the wall clock it leaves out
// the moments the thread waited for others on a busy machine.
double ThreadCpuMs() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Stores into a full cache of count entries with its journal, each evicting one entry, until the
// journal has been compacted into CACHE.DAT once. Printed: the most processor time a store took
// while the index was written out a slice at a time, beside the most a store took otherwise
// (both leaving aside the stores that handed over a journal batch), and the wall time of the
// store that learnt of the rewrite's end, beside the longest store that handed over a batch
// (the new file, the journal's cut, the batches and their syncs all run on the cache's worker).
void RunCompaction(int count) {
  QTemporaryDir dir;
  TCacheIndex index;
  for (int32_t id = 1; id <= count; ++id)
    index.Put(Entry(id));
  TCacheWorker worker;
  TCacheJournal journal(index, worker);
  journal.Open(dir.path());
  int32_t next = count + 1;
  int32_t oldest = 1;
  bool began = false;
  int stores = 0;
  double sliceCpu = 0;
  double storeCpu = 0;
  double cutMs = 0;
  double batchMs = 0;
  int64_t journalBefore = 0;
  QElapsedTimer timer;
  while (true) {
    const int32_t id = next++;
    index.Put(Entry(id));
    index.Remove(oldest++);
    const double cpu = ThreadCpuMs();
    timer.start();
    journal.Add(id, false);
    const double ms = timer.nsecsElapsed() / 1e6;
    const double cpuMs = ThreadCpuMs() - cpu;
    ++stores;
    const bool wroteBatch = index.JournalQueue().empty();
    if (began && !journal.Compacting()) {
      cutMs = ms;
      break;
    }
    if (journal.Compacting()) {
      began = true;
      if (!wroteBatch)
        sliceCpu = std::max(sliceCpu, cpuMs);
    } else {
      journalBefore = journal.Size();
      if (wroteBatch)
        batchMs = std::max(batchMs, ms);
      else
        storeCpu = std::max(storeCpu, cpuMs);
    }
    // About the pace of stores under a load of misses.
    QThread::usleep(200);
  }
  std::printf("%9d %8d %14lld %13lld %15.2f %15.2f %8.2f %13.2f\n", count, stores,
              static_cast<long long>(journalBefore), static_cast<long long>(journal.Size()), sliceCpu,
              storeCpu, cutMs, batchMs);
}

} // namespace

int main(int argc, char **argv) {
  std::printf("%9s %10s %10s %12s %12s %16s\n", "entries", "save ms", "load ms", "url ns", "id ns",
              "reference walk ns");
  for (int i = 1; i < argc; ++i)
    Run(std::atoi(argv[i]));
  std::printf("\n%9s %16s %22s\n", "entries", "eviction ns", "reference full pass ns");
  for (int i = 1; i < argc; ++i)
    RunEvictions(std::atoi(argv[i]));
  std::printf("\n%9s %8s %14s %13s %15s %15s %8s %13s\n", "entries", "stores", "journal before",
              "journal after", "slice cpu ms", "store cpu ms", "cut ms", "batch ms");
  for (int i = 1; i < argc; ++i)
    RunCompaction(std::atoi(argv[i]));
  return 0;
}
