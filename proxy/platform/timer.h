#pragma once

#include "proxy/platform/win_types.h"

#include <QObject>

#include <functional>

namespace ql {

// A periodic timer that is not a window timer and has no id, such as the network window's
// 5000 ms destroy timer or the 750 ms Autobrowse step. While enabled, OnTick runs every
// Interval milliseconds (scaled by SetTimerScale). Each tick is dispatched through the message
// queue like a window message, so it never runs inside a handler, an exception from it is
// logged and swallowed, and at most one tick waits in the queue. Disabling the timer or
// destroying it withdraws a queued tick. An interval of 0 disables the timer. GUI thread only.
class Timer : public QObject {
public:
  explicit Timer(std::function<void()> onTick, UINT intervalMs = 1000, bool enabled = false);
  ~Timer() override;

  Timer(const Timer &) = delete;
  Timer &operator=(const Timer &) = delete;

  // Changing the interval of an enabled timer restarts its period.
  void SetInterval(UINT ms);
  UINT Interval() const { return interval_; }
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }

protected:
  void timerEvent(QTimerEvent *event) override;

private:
  friend class MessageQueueDriver;

  void Restart();
  void DispatchTick();

  std::function<void()> onTick_;
  UINT interval_;
  bool enabled_;
  int qtTimerId_ = 0;
  bool tickQueued_ = false;
};

} // namespace ql
