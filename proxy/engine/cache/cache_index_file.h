#pragma once

#include "proxy/engine/cache/cache_index.h"
#include "proxy/engine/cache/cache_record.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace ql {

// The files that keep the cache index across runs, all in the data directory:
//   CACHE.DAT     header bytes 2, 16, then entry records; written whole at an orderly exit
//   CACHE.BAK     the journal: entry records (and removal records) appended ten stores at a time
//                 while the program runs; cut back to what came after it when CACHE.DAT is
//                 rewritten while running
//   TMPCACHE.DAT  the save target, renamed over CACHE.DAT once complete
// A file whose load was not clean (unreadable, damaged, cut short) is kept as name + ".damaged"
// (a copy, or the file itself moved aside when it cannot be read) before anything may replace
// it; when neither works, the save leaves CACHE.DAT alone.
inline constexpr char kCacheFileName[] = "CACHE.DAT";
inline constexpr char kJournalFileName[] = "CACHE.BAK";
inline constexpr char kTempCacheFileName[] = "TMPCACHE.DAT";
inline constexpr char kDamagedSuffix[] = ".damaged";

// What LoadCacheIndex found, for the caller to act on.
struct TCacheLoadReport {
  // CACHE.DAT is of the earlier format (1, below 16): nothing was loaded and the caller shows
  // the conversion notice; nothing may be saved in this run.
  bool OldFormat = false;
  // A file was unreadable or damaged. The records before the damage were loaded, a copy of the
  // file was kept, and the index's LoadDamaged is set.
  bool Damaged = false;
  // A journal was found and merged: the last run did not end in order.
  bool JournalMerged = false;
  // Lines for the engine log, one per problem met.
  QStringList Problems;
};

// Puts the run of entry records in data[0, size) into index, each in turn (a later record for
// an ID wins). In a journal a removal record takes its entry out again. Stops at the end or at
// the first record that is cut short or damaged, telling which in *stop. Returns the bytes of
// whole records read.
std::size_t ReadCacheRecords(TCacheIndex &index, const char *data, std::size_t size, TRecordRead *stop,
                             bool journal);

// Loads CACHE.DAT into index (cleared first) and merges the journal over it. Creates the data
// directory when CACHE.DAT does not exist. The journal queue is left empty and no ID retired: the files hold
// all that was read. Loading the MIME table is the caller's next step.
TCacheLoadReport LoadCacheIndex(TCacheIndex &index, const QString &dataDir);

// What MatchBodiesAndEntries did.
struct TBodyMatch {
  long EntriesDropped = 0; // -1: the directory could not be read, and nothing was done
  long BodiesRemoved = 0;
};

// Removes from the index every entry whose body file <ID>.ADL is not in dataDir (a crash left
// the entry behind its eviction or deletion); each removal is queued for the journal. With
// removeOrphans, also removes the body files that no entry names (a crash came before the batch
// of their stores was written). Reads the directory once.
TBodyMatch MatchBodiesAndEntries(TCacheIndex &index, const QString &dataDir, bool removeOrphans);

// Merges CACHE.BAK over the index by ID: a later record wins over an earlier one and over
// CACHE.DAT; a new ID is appended; a removal record takes its entry out. A torn last record (a crash while
// appending) is ignored and cut off the file so that later batches line up; damage ends the merge with a copy
// kept. The journal is opened without following a link: a symbolic link under its name is not
// read, and a file with a second name is read but never cut (the journal's writer puts a file of
// its own in the place of either).
void MergeCacheJournal(TCacheIndex &index, const QString &dataDir, TCacheLoadReport &report);

// The points of a save, in order, for callers that watch its progress.
enum class TCacheSaveStep {
  TempCreated,     // TMPCACHE.DAT holds the header bytes
  EntriesWritten,  // every entry is in TMPCACHE.DAT
  TempSynced,      // TMPCACHE.DAT is on the disk and closed
  Renamed,         // TMPCACHE.DAT has become CACHE.DAT
  DirectorySynced, // the rename is on the disk
  JournalRemoved,  // CACHE.BAK is gone, on the disk
  OrphansRemoved   // body files that no entry names are gone (clean-up saves only)
};

// What a save of the cache index is told by its caller.
struct TCacheSaveOptions {
  int CleanUpCounter = 0;      // the stored General/CleanUpCounter
  bool OldFormatFound = false; // data files of the earlier format were found: save nothing
  std::function<void(TCacheSaveStep)> AfterStep;
};

// What a save did, for the caller to store and log.
struct TCacheSaveReport {
  bool Saved = false;          // the files now hold the index (or the empty cache)
  bool CounterChanged = false; // store NewCleanUpCounter as General/CleanUpCounter
  int NewCleanUpCounter = 0;
  bool CleanedUp = false;     // the orphan clean-up ran
  std::size_t NotWritten = 0; // entries left out: body gone, or a text beyond the bound
  QString Error;
};

// Saves the index at exit. An empty index removes CACHE.DAT and leaves CACHE.BAK. Otherwise
// TMPCACHE.DAT is written and synced, renamed over CACHE.DAT, the directory synced, and only
// then CACHE.BAK removed, so at every moment CACHE.DAT or the journal holds every entry. At
// every tenth exit (the counter wrapping to 0), unless the load met damage, entries whose body
// file is gone are left out and body files that no entry names are removed. The index itself
// is left as it is; the caller frees it.
TCacheSaveReport SaveCacheIndex(const TCacheIndex &index, const QString &dataDir,
                                const TCacheSaveOptions &options);

} // namespace ql
