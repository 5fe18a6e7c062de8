#pragma once

#include "proxy/engine/cache/cache_worker.h"

#include <QByteArray>

#include <atomic>
#include <deque>
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
// so the pool holds about as many as the downloads in flight ask for. Spares come from the
// files handed over, and are made new only when none is there. A file handed over when the pool
// is full is removed, as is one that anyone else holds open (a body still being sent), that has
// a second name, or that cannot be moved.
//
// The work runs on the cache's worker as its urgent work: a file handed over before a job is
// posted is dealt with before that job runs, so an evicted entry's body is gone before the
// journal batch that carries its removal is written. The entry has left the index before its
// file is handed over. A file that a crash leaves behind is an orphan: a body is removed by the
// clean-up at every tenth exit, a spare by the start's sweep of the TEMP directory. Owns the files
// handed to it and the spares, which it removes when destroyed; the worker must outlive it. GUI
// thread only (the work itself runs on the worker's).
class TFileRecycler {
public:
  static constexpr std::size_t kSpares = 64;
  // Spare files are named kSparePrefix + a number + kSpareSuffix.
  static constexpr char kSparePrefix[] = "spare";
  static constexpr char kSpareSuffix[] = ".tmp";

  explicit TFileRecycler(TCacheWorker &worker);
  TFileRecycler(const TFileRecycler &) = delete;
  TFileRecycler &operator=(const TFileRecycler &) = delete;
  // Removes every file it holds.
  ~TFileRecycler();

  // Where spares are kept from now on (ends in a separator; empty: none are kept). Spares kept
  // elsewhere until now are removed.
  void SetSpareDirectory(QByteArray dir);
  // Takes the named file: an evicted entry's body, or a dropped download's.
  void Remove(QByteArray path);
  // The same for an unnamed file (made with O_TMPFILE), given by its descriptor, which this
  // takes over.
  void RemoveUnnamed(int fd);
  // A spare file's path, or an empty one when none is kept. The file is the caller's from now
  // on; it is empty unless someone wrote to it meanwhile.
  QByteArray TakeSpare();
  // The spares kept now.
  std::size_t SpareCount();

  // Deals with the files handed over at once, on the calling thread: each becomes a spare while
  // the pool has room, or is removed. No spare is made from then on until a take finds none.
  void Drain();

private:
  struct TGivenBack {
    QByteArray path;
    int fd = -1; // an unnamed file when not -1
  };

  // Worker: one step of the urgent work; false when none is due.
  bool TopUp();
  QByteArray NextSpareName(const QByteArray &dir);
  // A new, empty spare in dir, or an empty path.
  QByteArray MakeSpare(const QByteArray &dir);
  // Makes the file a spare in dir and keeps it, or removes it.
  void Recycle(const TGivenBack &file, const QByteArray &dir);
  void Keep(const QByteArray &spare, const QByteArray &dir);
  static void Release(const TGivenBack &file);
  void ClearSpares();

  TCacheWorker &worker_;
  std::mutex mutex_;
  std::vector<QByteArray> spares_;
  std::deque<TGivenBack> given_back_;
  QByteArray spare_dir_;
  std::size_t wanted_ = 0; // spares the pool aims to hold; grows when a take finds none
  std::atomic<unsigned long long> spare_number_{0}; // names spares
};

} // namespace ql
