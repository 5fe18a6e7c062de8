#include "proxy/engine/cache/journal_syncer.h"

#include <fcntl.h>
#include <unistd.h>

namespace ql {

TJournalSyncer::~TJournalSyncer() {
  SetFile(-1);
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void TJournalSyncer::SetFile(int fd) {
  Wait();
  const int own = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
  std::lock_guard lock(mutex_);
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = own;
}

bool TJournalSyncer::Request() {
  bool ok = true;
  {
    std::lock_guard lock(mutex_);
    ok = !failed_;
    failed_ = false;
    if (fd_ < 0)
      return ok;
    ++requested_;
    if (!thread_.joinable())
      thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_one();
  return ok;
}

void TJournalSyncer::Wait() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return synced_ == requested_; });
}

void TJournalSyncer::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || synced_ != requested_; });
    if (synced_ == requested_)
      return;
    const uint64_t upTo = requested_;
    const int fd = fd_;
    lock.unlock();
    const bool ok = ::fdatasync(fd) == 0;
    lock.lock();
    failed_ = failed_ || !ok;
    synced_ = upTo;
    done_.notify_all();
  }
}

} // namespace ql
