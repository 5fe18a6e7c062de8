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

void TCacheWorker::StartThread() {
  if (!thread_.joinable())
    thread_ = std::thread([this] { Run(); });
}

void TCacheWorker::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(job));
    StartThread();
  }
  wake_.notify_one();
}

void TCacheWorker::SetUrgentWork(std::function<bool()> step) {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !urgent_running_; });
  urgent_ = std::move(step);
}

void TCacheWorker::Wake() {
  {
    std::lock_guard lock(mutex_);
    if (urgent_due_)
      return;
    urgent_due_ = true;
    StartThread();
  }
  wake_.notify_one();
}

void TCacheWorker::Yield() {
  {
    std::lock_guard lock(mutex_);
    if (!urgent_due_ || !urgent_)
      return;
    // Cleared first: a Wake while the steps run sets it again.
    urgent_due_ = false;
    urgent_running_ = true;
  }
  while (urgent_()) {
  }
  std::lock_guard lock(mutex_);
  urgent_running_ = false;
  idle_.notify_all();
}

void TCacheWorker::Wait() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !running_ && !urgent_running_; });
}

void TCacheWorker::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty() || (urgent_due_ && urgent_); });
    if (urgent_due_ && urgent_ && !stop_) {
      lock.unlock();
      Yield();
      lock.lock();
      continue;
    }
    if (queue_.empty()) {
      if (stop_)
        return;
      continue;
    }
    std::function<void()> job = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    job = nullptr;
    lock.lock();
    running_ = false;
    if (queue_.empty())
      idle_.notify_all();
  }
}

} // namespace ql
