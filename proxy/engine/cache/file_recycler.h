#pragma once

#include "proxy/engine/cache/cache_worker.h"

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <vector>

namespace ql {

// Takes the files the cache no longer needs, the bodies of evicted entries and the files of
// dropped downloads, and keeps them, emptied, as spare files for new downloads, so that storing
// an object makes and frees no file. A file system that passes over recently freed inodes when
// it makes a file (ext4 without a journal does) otherwise searches longer for every new file the
// more the cache turns over, and the relay would wait for it.
//
// Up to kSpares spares wait under names of their own in the spare directory (the TEMP
// directory). Each one taken is replaced, and a take that finds none makes the pool one larger,
// so the pool holds about as many as the downloads ask for while the worker is busy with a
// journal flush, after which the jobs that make spares run: under load a flush lasts long
// enough for hundreds of downloads, each of which would otherwise make its file on the relay's
// thread. Spares come from the files handed over, and are made new (a job on the worker) only
// when none is there. A file that would overfill the pool is removed, as is one that anyone else
// holds open (a body still being sent), that has a second name, or that cannot be moved.
//
// A dropped download had no record anywhere, so its file is recycled at once, by a job on the
// worker. An evicted body is named by the journal's records until its removal is on the disk:
// the journal's flush moves it out of the data directory (Withdraw) and gives it back for the
// pool only once the records of its removal are synced (Keep), so that its inode never holds a
// new object's bytes while a record on the disk still names it. A file that a crash leaves in
// TEMP is removed by the start's sweep of the TEMP directory. Owns the files handed to it and
// the spares, which it removes when destroyed; the worker must outlive it. Remove, RemoveUnnamed,
// TakeSpare and SetSpareDirectory are for the GUI thread, Withdraw, Keep and Drop for the worker's.
class TFileRecycler {
public:
  static constexpr std::size_t kSpares = 512;
  // Spare files are named kSparePrefix + a number + kSpareSuffix.
  static constexpr char kSparePrefix[] = "spare";
  static constexpr char kSpareSuffix[] = ".tmp";

  explicit TFileRecycler(TCacheWorker &worker);
  TFileRecycler(const TFileRecycler &) = delete;
  TFileRecycler &operator=(const TFileRecycler &) = delete;
  // Waits for the worker's jobs, then removes every spare.
  ~TFileRecycler();

  // Where spares are kept from now on (ends in a separator; empty: none are kept, and files
  // handed over are removed). Spares kept elsewhere until now are removed.
  void SetSpareDirectory(QByteArray dir);
  // Takes a dropped download's named file.
  void Remove(QByteArray path);
  // The same for an unnamed file (made with O_TMPFILE), given by its descriptor, which this
  // takes over.
  void RemoveUnnamed(int fd);
  // A spare file's path, or an empty one when none is kept. The file is the caller's from now
  // on; it is empty unless someone wrote to it meanwhile.
  QByteArray TakeSpare();
  // The spares kept now.
  std::size_t SpareCount();

  // Moves the evicted body at path out of its directory, under a spare's name that is not yet
  // handed out, and returns that name; removes it instead (and returns an empty name) when the
  // pool has no room or the move fails.
  QByteArray Withdraw(const QByteArray &path);
  // The records of the withdrawn files' removals are on the disk: each becomes a spare, or is
  // removed.
  void Keep(const std::vector<QByteArray> &withdrawn);
  // The records of their removals will not be written: the withdrawn files are removed.
  void Drop(const std::vector<QByteArray> &withdrawn);

private:
  // A job: makes spares until the pool holds as many as downloads asked for.
  void TopUp();
  QByteArray NextSpareName(const QByteArray &dir);
  // A new, empty spare in dir, or an empty path.
  QByteArray MakeSpare(const QByteArray &dir);
  // Makes a dropped download's file a spare, or removes it.
  void Recycle(const QByteArray &path);
  void RecycleUnnamed(int fd);
  // Keeps spare when it lies in the spare directory and the pool has room, or removes it.
  void KeepSpare(const QByteArray &spare);
  void ClearSpares();

  TCacheWorker &worker_;
  std::mutex mutex_;
  std::vector<QByteArray> spares_;
  QByteArray spare_dir_;
  std::size_t wanted_ = 0;    // spares the pool aims to hold; grows when a take finds none
  std::size_t withdrawn_ = 0; // evicted bodies withdrawn and not yet kept or removed
  bool topping_up_ = false;   // a TopUp job is posted
  std::atomic<unsigned long long> spare_number_{0}; // names spares
};

} // namespace ql
