#include "proxy/platform/message_window.h"

#include "proxy/platform/host_lookup.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/timer_scale.h"

#include <QTimerEvent>

namespace ql {

MessageWindow::MessageWindow() = default;

MessageWindow::~MessageWindow() {
  for (const auto &[id, timer] : timers_) {
    killTimer(timer.qtTimerId);
  }
  timers_.clear();
  idByQtTimer_.clear();
  DetachSocketsFromWindow(this);
  CancelLookupsForWindow(this);
  message_queue::Drop([this](const QueuedMessage &m) { return m.window == this; });
}

void MessageWindow::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  QueuedMessage message;
  message.window = this;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  message_queue::Post(std::move(message));
}

bool MessageWindow::SetTimer(UINT_PTR id, UINT ms) {
  KillTimer(id);
  const int qtTimerId = startTimer(ScaledInterval(ms), Qt::PreciseTimer);
  if (qtTimerId == 0) {
    return false;
  }
  timers_[id] = WindowTimer{qtTimerId, false};
  idByQtTimer_[qtTimerId] = id;
  return true;
}

bool MessageWindow::KillTimer(UINT_PTR id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) {
    return false;
  }
  killTimer(it->second.qtTimerId);
  idByQtTimer_.erase(it->second.qtTimerId);
  const bool tickQueued = it->second.tickQueued;
  timers_.erase(it);
  if (tickQueued) {
    DropQueuedTick(id);
  }
  return true;
}

void MessageWindow::DropQueuedTick(UINT_PTR id) {
  message_queue::Drop([this, id](const QueuedMessage &m) {
    return m.window == this && m.source == MessageSource::WindowTimer && m.sourceId == id;
  });
}

void MessageWindow::WndProc(UINT, WPARAM, LPARAM) {}

void MessageWindow::timerEvent(QTimerEvent *event) {
  RunGuarded("Window timer", [this, event] {
    const auto idIt = idByQtTimer_.find(event->timerId());
    if (idIt == idByQtTimer_.end()) {
      return;
    }
    WindowTimer &timer = timers_.at(idIt->second);
    if (timer.tickQueued) {
      return;
    }
    timer.tickQueued = true;
    QueuedMessage message;
    message.window = this;
    message.msg = WM_TIMER;
    message.wParam = idIt->second;
    message.source = MessageSource::WindowTimer;
    message.sourceId = idIt->second;
    message_queue::Post(std::move(message));
  });
}

void MessageWindow::DispatchQueued(const QueuedMessage &message) {
  if (message.source == MessageSource::WindowTimer) {
    const auto it = timers_.find(message.sourceId);
    if (it != timers_.end()) {
      it->second.tickQueued = false;
    }
  }
  WndProc(message.msg, message.wParam, message.lParam);
}

} // namespace ql
