#include "proxy/platform/message_window.h"

#include "proxy/platform/host_lookup.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/timer_scale.h"

#include <QTimerEvent>

#include <algorithm>
#include <chrono>
#include <climits>

namespace ql {

MessageWindow::MessageWindow() = default;

MessageWindow::~MessageWindow() {
  qtTimer_.stop();
  timers_.Clear();
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
  const auto now = WindowTimerSet::Clock::now();
  timers_.Start(id, ScaledInterval(ms), now);
  if (!qtTimer_.isActive() || *timers_.NextDue() < armedFor_) {
    ArmForNextTick();
  }
  return true;
}

bool MessageWindow::KillTimer(UINT_PTR id) {
  const bool tickQueued = timers_.TickQueued(id);
  if (!timers_.Stop(id)) {
    return false;
  }
  // The Qt timer stays set; when it fires early for a timer that is gone it is set again.
  if (tickQueued) {
    DropQueuedTick(id);
  }
  return true;
}

void MessageWindow::ArmForNextTick() {
  const auto next = timers_.NextDue();
  if (!next) {
    qtTimer_.stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - WindowTimerSet::Clock::now());
  armedFor_ = *next;
  qtTimer_.start(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, INT_MAX)),
                 Qt::PreciseTimer, this);
}

void MessageWindow::DropQueuedTick(UINT_PTR id) {
  message_queue::Drop([this, id](const QueuedMessage &m) {
    return m.window == this && m.source == MessageSource::WindowTimer && m.sourceId == id;
  });
}

void MessageWindow::WndProc(UINT, WPARAM, LPARAM) {}

void MessageWindow::timerEvent(QTimerEvent *event) {
  if (event->timerId() != qtTimer_.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  RunGuarded("Window timer", [this] {
    for (const UINT_PTR id : timers_.TakeDue(WindowTimerSet::Clock::now())) {
      if (timers_.TickQueued(id)) {
        continue;
      }
      timers_.SetTickQueued(id, true);
      QueuedMessage message;
      message.window = this;
      message.msg = WM_TIMER;
      message.wParam = id;
      message.source = MessageSource::WindowTimer;
      message.sourceId = id;
      message_queue::Post(std::move(message));
    }
    ArmForNextTick();
  });
}

void MessageWindow::DispatchQueued(const QueuedMessage &message) {
  if (message.source == MessageSource::WindowTimer) {
    timers_.SetTickQueued(message.sourceId, false);
  }
  WndProc(message.msg, message.wParam, message.lParam);
}

} // namespace ql
