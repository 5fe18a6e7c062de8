#include "proxy/engine/cache/body_remover.h"

#include <unistd.h>

namespace ql {

TBodyRemover::~TBodyRemover() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void TBodyRemover::Remove(QByteArray path) {
  bool idle = false;
  {
    std::lock_guard lock(mutex_);
    // The thread waits only when it has nothing left; busy, it finds the file by itself.
    idle = queue_.empty() && !busy_;
    queue_.push_back(std::move(path));
    if (!thread_.joinable())
      thread_ = std::thread([this] { Run(); });
  }
  if (idle)
    wake_.notify_one();
}

void TBodyRemover::Drain() {
  std::unique_lock lock(mutex_);
  drained_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void TBodyRemover::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    // Files still queued at the end are removed before the thread ends.
    if (queue_.empty())
      return;
    const QByteArray path = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    ::unlink(path.constData());
    lock.lock();
    busy_ = false;
    if (queue_.empty())
      drained_.notify_all();
  }
}

} // namespace ql
