#pragma once

#include "proxy/engine/cache/cache_worker.h"

#include <QByteArray>

#include <mutex>
#include <vector>

namespace ql {

// Takes the files the cache no longer needs, the bodies of evicted entries and dropped
// downloads, and frees them on the cache's worker thread, so that the relay does not wait while
// the file system frees them.
//
// Rather than free them, it keeps up to kSpares of them, emptied, under names of its own in the
// spare directory (the TEMP directory), and hands them out for new downloads (TakeSpare). Each
// spare taken is replaced by a new one, and a take that finds none makes the pool one larger, so
// the pool holds about as many as the downloads in flight ask for, never more than kSpares. A
// cache that stores and evicts an object per miss would otherwise free and make a file per miss
// on the relay's thread, and a file system that passes over recently freed inodes when it makes
// a file (ext4 without a journal does) then searches longer for every new file the more the
// cache turns over. A file that anyone else holds open (a body still being sent), that has a
// second name, or that cannot be moved is removed instead, as is every file once the pool is
// full.
//
// The entry has left the index before its file is handed over. A file that a crash leaves
// behind is an orphan: a body is removed by the clean-up at every tenth exit, a spare by the
// start's sweep of the TEMP directory.
//
// Files go in the order given, on the worker's queue, before anything posted later. Making a
// spare is optional work that the worker drops at exit. Owns the unnamed files handed to it and
// the spare files, which it removes when destroyed; the worker must outlive it. Remove,
// RemoveUnnamed, TakeSpare and SetSpareDirectory are for the GUI thread.
class TFileRecycler {
public:
  static constexpr std::size_t kSpares = 64;
  // Spare files are named kSparePrefix + a number + kSpareSuffix.
  static constexpr char kSparePrefix[] = "spare";
  static constexpr char kSpareSuffix[] = ".tmp";

  explicit TFileRecycler(TCacheWorker &worker) : worker_(worker) {}
  TFileRecycler(const TFileRecycler &) = delete;
  TFileRecycler &operator=(const TFileRecycler &) = delete;
  // Waits for its files on the worker's queue, then removes the spares.
  ~TFileRecycler();

  // Where spares are kept from now on (ends in a separator; empty: none are kept). Spares kept
  // elsewhere until now are removed.
  void SetSpareDirectory(QByteArray dir);
  // Queues the file for removal.
  void Remove(QByteArray path);
  // The same for an unnamed file (made with O_TMPFILE), given by its descriptor, which this
  // takes over.
  void RemoveUnnamed(int fd);
  // A spare file's path, or an empty one when none is kept. The file is the caller's from now
  // on; it is empty unless someone wrote to it meanwhile.
  QByteArray TakeSpare();
  // The spares kept now.
  std::size_t SpareCount();

private:
  QByteArray NextSpareName(const QByteArray &dir);
  // Worker: makes a new, empty spare file when the pool is short of what is wanted.
  void MakeSpare(const QByteArray &dir);
  // Worker: makes the file a spare in dir, or removes it.
  void Recycle(const QByteArray &path, int fd, const QByteArray &dir);
  // Worker: keeps the spare when there is room in the pool, else removes it.
  void Keep(const QByteArray &spare, const QByteArray &dir);
  void ClearSpares();

  TCacheWorker &worker_;
  std::mutex mutex_;
  std::vector<QByteArray> spares_;
  QByteArray spare_dir_;                // GUI thread; jobs carry their own copy
  std::size_t wanted_ = 0;              // spares the pool aims to hold; grows when a take finds none
  unsigned long long spare_number_ = 0; // names spares; the worker's own
};

} // namespace ql
