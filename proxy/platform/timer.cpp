#include "proxy/platform/timer.h"

#include "proxy/platform/message_queue.h"
#include "proxy/platform/timer_scale.h"

#include <QTimerEvent>

#include <utility>

namespace ql {

Timer::Timer(std::function<void()> onTick, UINT intervalMs, bool enabled)
    : onTick_(std::move(onTick)), interval_(intervalMs), enabled_(enabled) {
  Restart();
}

Timer::~Timer() {
  message_queue::Drop([this](const QueuedMessage &m) { return m.timer == this; });
}

void Timer::SetInterval(UINT ms) {
  interval_ = ms;
  Restart();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void Timer::Restart() {
  if (qtTimerId_ != 0) {
    killTimer(qtTimerId_);
    qtTimerId_ = 0;
  }
  if (tickQueued_) {
    tickQueued_ = false;
    message_queue::Drop([this](const QueuedMessage &m) { return m.timer == this; });
  }
  if (enabled_ && interval_ > 0) {
    qtTimerId_ = startTimer(ScaledInterval(interval_), Qt::PreciseTimer);
  }
}

void Timer::timerEvent(QTimerEvent *event) {
  RunGuarded("Timer", [this, event] {
    if (event->timerId() != qtTimerId_ || tickQueued_) {
      return;
    }
    tickQueued_ = true;
    QueuedMessage message;
    message.timer = this;
    message.source = MessageSource::PlainTimer;
    message_queue::Post(std::move(message));
  });
}

void Timer::DispatchTick() {
  tickQueued_ = false;
  if (enabled_ && onTick_) {
    onTick_();
  }
}

} // namespace ql
