#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace ql {

// Puts the journal's data on the disk on a thread of its own, so that the relay does not wait
// for the disk after every batch. Requests that come while a sync runs are served together by
// the one after it.
//
// What a batch wrote is in the system's hands once the write returns, so a crash of the program
// loses none of it; a power failure loses at most the batches written since the last sync ended.
//
// Keeps a descriptor of its own for the file. Owns its thread. GUI thread only.
class TJournalSyncer {
public:
  TJournalSyncer() = default;
  TJournalSyncer(const TJournalSyncer &) = delete;
  TJournalSyncer &operator=(const TJournalSyncer &) = delete;
  // Finishes the syncs asked for, then ends the thread.
  ~TJournalSyncer();

  // Syncs the file of fd from now on (-1: none), once the syncs asked for the previous file ended.
  void SetFile(int fd);
  // Asks for the file's data to be synced. False when a sync asked for earlier failed.
  bool Request();
  // Returns once every sync asked for has ended.
  void Wait();

private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  int fd_ = -1;
  uint64_t requested_ = 0;
  uint64_t synced_ = 0;
  bool failed_ = false;
  bool stop_ = false;
  std::thread thread_;
};

} // namespace ql
