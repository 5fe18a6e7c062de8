#pragma once

#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/net/engine_links.h"

#include <QObject>
#include <QString>

namespace ql {

class TRegIniFile;

// The proxy's disk cache as one object: the cache index, the MIME table and the store
// operations on them, kept in the data directory. It loads the index files and MIMETYPE.DAT
// when the network window starts and saves the index when it stops.
//
// Owns the index and the table; the settings store is not owned and must outlive it.
// GUI thread only.
class TProxyCache : public TCacheIndexFiles {
public:
  explicit TProxyCache(TRegIniFile &settings);

  // Takes the data directory and the size limits from the engine's state (they are known
  // once the network window has read its settings and command line), then loads CACHE.DAT
  // with its journal and the MIME table. Data files of the earlier format get the conversion
  // notice, and nothing is saved in this run.
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
  TRegIniFile &settings_;
  QString data_dir_;
  // Receives the journal's reports on the GUI thread; outlives the store's worker.
  QObject receiver_;
  TCacheIndex index_;
  TMimeTable mimes_;
  TCacheStore store_;
  bool old_format_found_ = false;
};

} // namespace ql
