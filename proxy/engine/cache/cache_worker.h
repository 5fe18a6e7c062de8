#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ql {

// The cache's one background thread: it takes the disk work that the relay must not wait for
// (the journal's flushes, rewriting CACHE.DAT and cutting the journal, making spare files) from
// one queue and does it in the order it was posted, so that a rewrite comes after the batches
// before it without any other hand-off between threads.
//
// Whenever a job leaves the queue empty, the idle job runs (SetIdleJob): the journal writes
// there what its jobs staged, so that a burst of batches costs one round of syncs. Every job
// posted runs, also at destruction. The thread starts with the first job. Post, SetIdleJob and
// Wait are for the GUI thread; the jobs run on the worker's thread.
class TCacheWorker {
public:
  TCacheWorker() = default;
  TCacheWorker(const TCacheWorker &) = delete;
  TCacheWorker &operator=(const TCacheWorker &) = delete;
  // Runs the jobs posted, then ends the thread.
  ~TCacheWorker();

  void Post(std::function<void()> job);
  // What runs after a job that left the queue empty (empty: nothing). Waits until no job runs.
  void SetIdleJob(std::function<void()> job);
  // Returns once every job posted so far has run, and the idle job after them.
  void Wait();

private:
  void Run();

  std::function<void()> idle_job_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false; // a job (or the idle job) runs now
  bool stop_ = false;
  std::thread thread_;
};

} // namespace ql
