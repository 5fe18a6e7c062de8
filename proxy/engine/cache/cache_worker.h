#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ql {

// The cache's one background thread: it takes the disk work that the relay must not wait for
// (syncing bodies, writing and syncing the journal, rewriting CACHE.DAT and cutting the journal)
// from one queue and does it in the order it was posted, so that a rewrite comes after the
// batches before it without any other hand-off between threads.
//
// Beside the queue it does urgent work (SetUrgentWork): recycling or removing the files the
// cache gives back, and making the spare files the relay soon needs. Urgent work that is due
// when a job is posted is done before that job runs, so an evicted entry's body is gone before
// the batch that carries its removal is written; the worker also does it between the steps of a
// long job (Yield). Every job posted runs, also at destruction. The thread starts with the first
// job or Wake. Post, Wake and Wait are for the GUI thread; jobs and urgent work run on the
// worker's thread, and only Yield and Wake are for them.
class TCacheWorker {
public:
  TCacheWorker() = default;
  TCacheWorker(const TCacheWorker &) = delete;
  TCacheWorker &operator=(const TCacheWorker &) = delete;
  // Runs the jobs posted, then ends the thread.
  ~TCacheWorker();

  void Post(std::function<void()> job);
  // The urgent work: does one step of it and returns true, or returns false when none is due.
  // Waits until no step of the work set before runs.
  void SetUrgentWork(std::function<bool()> step);
  // Urgent work may be due.
  void Wake();
  // Worker thread, inside a job: does the urgent work that is due.
  void Yield();
  // Returns once every job posted so far has run and no urgent work runs.
  void Wait();

private:
  void Run();
  void StartThread();

  std::function<bool()> urgent_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false; // a job runs now
  bool urgent_due_ = false;
  bool urgent_running_ = false;
  bool stop_ = false;
  std::thread thread_;
};

} // namespace ql
