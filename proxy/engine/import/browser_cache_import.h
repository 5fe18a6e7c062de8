#pragma once

#include <QString>

namespace ql {

class TCacheStore;
class TListProgress;
class TMimeTable;

// What an import of a browser's cache did.
struct TImportReport {
  int Imported = 0;     // new entries
  int Present = 0;      // URLs the cache held already
  int Missing = 0;      // body files not found
  int TooLarge = 0;     // bodies above the item size limit
  int Refused = 0;      // file names leaving the index's directory or naming a symbolic link,
                        // URLs without a host
  int Failed = 0;       // bodies that could not be copied
  int Skipped = 0;      // damaged records (and pages) of a binary index
  bool Stopped = false; // the go-on flag stopped it
  QString Error;        // the index could not be opened or read; what was read stays
};

// Imports the cache index of another browser at indexPath into the cache of store: every
// object it names whose body file is a regular file of the index's directory becomes a Normal
// entry (see ImportCacheFile). An index whose first 10 characters read "MCOM-CACHE" or
// "MOSAIC-COM" in any case is a text list (cache_index_list.h), anything else a binary
// database (hash_cache_index.h) of 4096- or 16384-byte pages.
//
// The progress, when given, gets the percentage of the file read every 5 lines of a text list
// and at every page of a binary index; it lets window messages run and stops the import when
// it says so. The go-on flag (go_on_flag.h) is set at the start and stops the import when
// cleared. Entries made before a stop or a read error stay. At the end the journal is handed
// what it queues, so that the imported entries reach the disk without waiting for more stores.
TImportReport ImportBrowserCache(TCacheStore &store, TMimeTable &mimes, const QString &indexPath,
                                 TListProgress *progress);

} // namespace ql
