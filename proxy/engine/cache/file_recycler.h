#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace ql {

// Takes the files the cache no longer needs, the bodies of evicted entries and dropped
// downloads, on a thread of its own, so that the relay does not wait while the file system
// frees them.
//
// Rather than free them, it keeps up to kSpares of them, emptied, under names of its own in the
// spare directory (the TEMP directory), and hands them out for new downloads (TakeSpare); when
// fewer than kSpareLow are left, the thread makes new ones up to kSpareTarget. A cache that
// stores and evicts an object per miss would otherwise free and make a file per miss on the
// relay's thread, and a file system that passes over recently freed inodes when it makes a file
// (ext4 without a journal does) then searches longer for every new file the more the cache
// turns over. A file that anyone else holds open (a body still being sent), that has a second
// name, or that cannot be moved is removed instead, as is every file once the pool is full.
//
// The entry has left the index before its file is handed over. A file that a crash leaves
// behind is an orphan: a body is removed by the clean-up at every tenth exit, a spare by the
// start's sweep of the TEMP directory.
//
// Files go in the order given. A caller that is about to make a file under a name it may have
// handed over calls Drain first. Owns its thread, the unnamed files handed to it and the spare
// files, which it removes when destroyed. Remove, RemoveUnnamed, TakeSpare, Drain and
// SetSpareDirectory are for the GUI thread.
class TFileRecycler {
public:
  // A burst of a thousand misses at once finds its files ready.
  static constexpr std::size_t kSpares = 2048;
  static constexpr std::size_t kSpareLow = 256;
  static constexpr std::size_t kSpareTarget = 1024;
  // Spare files are named kSparePrefix + a number + kSpareSuffix.
  static constexpr char kSparePrefix[] = "spare";
  static constexpr char kSpareSuffix[] = ".tmp";

  TFileRecycler() = default;
  TFileRecycler(const TFileRecycler &) = delete;
  TFileRecycler &operator=(const TFileRecycler &) = delete;
  ~TFileRecycler();

  // Where spares are kept from now on (ends in a separator; empty: none are kept). Spares kept
  // elsewhere until now are removed.
  void SetSpareDirectory(QByteArray dir);
  // Queues the file for removal; the thread starts with the first file.
  void Remove(QByteArray path);
  // The same for an unnamed file (made with O_TMPFILE), given by its descriptor, which this
  // takes over.
  void RemoveUnnamed(int fd);
  // A spare file's path, or an empty one when none is kept. The file is the caller's from now
  // on; it is empty unless someone wrote to it meanwhile.
  QByteArray TakeSpare();
  // Returns once every queued file is gone and no spare is being made.
  void Drain();

private:
  struct TItem {
    QByteArray path;
    int fd = -1; // an unnamed file when not -1
  };

  void Queue(TItem item);
  void Run();
  QByteArray NextSpareName(const QByteArray &dir);
  // A new, empty spare file in dir; an empty path when none could be made.
  QByteArray MakeSpare(const QByteArray &dir);
  // Makes the file a spare in dir, or removes it.
  void Recycle(TItem item, const QByteArray &dir);
  static void Release(const TItem &item);
  void ClearSpares();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable drained_;
  std::deque<TItem> queue_;
  std::vector<QByteArray> spares_;
  QByteArray spare_dir_;
  bool busy_ = false;
  bool refilling_ = false; // new spares are wanted
  bool stop_ = false;
  unsigned long long spare_number_ = 0; // names spares; the thread's own
  std::thread thread_;
};

} // namespace ql
