#include "proxy/engine/cache/cache_worker.h"

#include <algorithm>

namespace ql {

TCacheWorker::~TCacheWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  DropOptional();
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void TCacheWorker::Post(std::function<void()> job, bool optional) {
  bool idle = false;
  {
    std::lock_guard lock(mutex_);
    // The thread waits only when it has nothing left; busy, it finds the job by itself.
    idle = queue_.empty() && !running_;
    queue_.push_back(TJob{std::move(job), optional});
    if (!thread_.joinable())
      thread_ = std::thread([this] { Run(); });
  }
  if (idle)
    wake_.notify_one();
}

void TCacheWorker::Wait() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void TCacheWorker::Finish() {
  DropOptional();
  Wait();
}

void TCacheWorker::DropOptional() {
  std::deque<TJob> dropped;
  {
    std::lock_guard lock(mutex_);
    const auto kept =
        std::stable_partition(queue_.begin(), queue_.end(), [](const TJob &job) { return !job.optional; });
    dropped.insert(dropped.end(), std::make_move_iterator(kept), std::make_move_iterator(queue_.end()));
    queue_.erase(kept, queue_.end());
    if (queue_.empty() && !running_)
      idle_.notify_all();
  }
  // The jobs' captures go outside the lock.
}

void TCacheWorker::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty())
      return;
    TJob job = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    lock.unlock();
    job.run();
    job.run = nullptr;
    lock.lock();
    running_ = false;
    if (queue_.empty())
      idle_.notify_all();
  }
}

} // namespace ql
