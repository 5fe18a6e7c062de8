#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ql {

// Removes the body files of evicted entries on a thread of its own, so that the relay does not
// wait while the file system frees them. The entry has left the index before its file is
// handed over; a file that a crash leaves behind is an orphan, which the clean-up at every tenth
// exit removes.
//
// Files go in the order given. A caller that is about to make a file under a name it may have
// handed over calls Drain first. Owns its thread; Remove and Drain are for the GUI thread.
class TBodyRemover {
public:
  TBodyRemover() = default;
  TBodyRemover(const TBodyRemover &) = delete;
  TBodyRemover &operator=(const TBodyRemover &) = delete;
  ~TBodyRemover();

  // Queues the file for removal; the thread starts with the first file.
  void Remove(QByteArray path);
  // Returns once every queued file is gone.
  void Drain();

private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable drained_;
  std::deque<QByteArray> queue_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;
};

} // namespace ql
