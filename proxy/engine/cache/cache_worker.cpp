#include "proxy/engine/cache/cache_worker.h"

namespace ql {

TCacheWorker::~TCacheWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void TCacheWorker::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(job));
    if (!thread_.joinable())
      thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_one();
}

void TCacheWorker::SetIdleJob(std::function<void()> job) {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !running_; });
  idle_job_ = std::move(job);
}

void TCacheWorker::Wait() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void TCacheWorker::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty())
      return;
    std::function<void()> job = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    job = nullptr;
    lock.lock();
    if (queue_.empty() && idle_job_) {
      lock.unlock();
      idle_job_();
      lock.lock();
    }
    running_ = false;
    if (queue_.empty())
      idle_.notify_all();
  }
}

} // namespace ql
