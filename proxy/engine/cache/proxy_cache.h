#pragma once

#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_index_files.h"
#include "proxy/engine/cache/cache_limits.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

namespace ql {

class TRegIniFile;

// The run's data directory and size limits, as the program reads them at start.
struct TCacheSettings {
  QString DataDirectory; // in the program's path form (see paths.h), with its separator at the end
  int64_t MaxCacheSize = kDefaultMaxCacheSize;
  int64_t MaxCacheItemSize = kDefaultMaxCacheItemSize;
};

// What the cache asks of the program around it. Each may be empty: the cache then has the
// default settings and no data directory, and its problems go to warnings.
struct TCacheLinks {
  // Asked at every LoadCacheIndex, once the settings and the command line of the run are read.
  std::function<TCacheSettings()> Settings;
  // A line for the engine log: a problem with the cache's files; the engine runs on.
  std::function<void(const QString &)> Log;
  // A cache file could not be written for want of space: the disk-full notice.
  std::function<void()> DiskFull;
};

// The proxy's disk cache as one object: the cache index, the MIME table and the store
// operations on them, kept in the data directory. It loads the index files and MIMETYPE.DAT
// when the network window starts and saves the index when it stops.
//
// Owns the index and the table; the settings store is not owned and must outlive it.
// GUI thread only.
class TProxyCache : public TCacheIndexFiles {
public:
  explicit TProxyCache(TRegIniFile &settings, TCacheLinks links = {});

  // Takes the data directory and the size limits from the links' settings, then loads
  // CACHE.DAT with its journal and the MIME table. Data files of the earlier format get the
  // conversion notice, and nothing is saved in this run. After a crash (a journal was merged)
  // the body files that no entry lists are removed, as are, always, the entries whose body
  // file is gone.
  void LoadCacheIndex() override;
  // Saves the index (counting General/CleanUpCounter) unless the load found the earlier format.
  void SaveCacheIndex() override;
  // After the conversion notice the program halts, before anything is written.
  bool HaltRequested() const override { return old_format_found_; }
  // Another data file (the bookmark file) is of the earlier format: the program ends, and the
  // index is not saved over the old files either.
  void HoldFiles() { old_format_found_ = true; }
  // What making the cache durable has cost so far: bodies and journal batches synced, and the
  // worker's time for them.
  QString SyncReport() const override;

  TCacheIndex &Index() { return index_; }
  TMimeTable &Mimes() { return mimes_; }
  TCacheStore &Store() { return store_; }
  const QString &DataDir() const { return data_dir_; }

private:
  void Log(const QString &line) const;

  TRegIniFile &settings_;
  TCacheLinks links_;
  QString data_dir_;
  // Receives the journal's reports on the GUI thread; outlives the store's worker.
  QObject receiver_;
  TCacheIndex index_;
  TMimeTable mimes_;
  TCacheStore store_;
  bool old_format_found_ = false;
};

} // namespace ql
