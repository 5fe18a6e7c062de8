#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ql {

// The cache's one background thread: it takes the disk work that the relay must not wait for
// (removing and recycling body files, making spare files, syncing bodies, writing and syncing
// the journal, rewriting CACHE.DAT) from one queue and does it in the order it was posted. So
// a body's removal always comes before the journal batch posted after it, and a rewrite of
// CACHE.DAT after the batches before it, without any other hand-off between threads.
//
// A job posted as optional (making a spare file) may be dropped by Finish and at destruction;
// every other job runs. The thread starts with the first job. Post, Wait and Finish are for the
// GUI thread; jobs run on the worker's thread and must not call them.
class TCacheWorker {
public:
  TCacheWorker() = default;
  TCacheWorker(const TCacheWorker &) = delete;
  TCacheWorker &operator=(const TCacheWorker &) = delete;
  // Drops the optional jobs, runs the rest, then ends the thread.
  ~TCacheWorker();

  void Post(std::function<void()> job, bool optional = false);
  // Returns once every job posted so far has run.
  void Wait();
  // Drops the optional jobs that have not started, then waits for the rest.
  void Finish();

private:
  struct TJob {
    std::function<void()> run;
    bool optional = false;
  };

  void Run();
  void DropOptional();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<TJob> queue_;
  bool running_ = false; // a job runs now
  bool stop_ = false;
  std::thread thread_;
};

} // namespace ql
