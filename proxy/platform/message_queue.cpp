#include "proxy/platform/message_queue.h"

#include "proxy/platform/message_window.h"
#include "proxy/platform/timer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QtGlobal>

#include <deque>
#include <exception>
#include <utility>

namespace ql {

// Drains the queue when its drain event arrives; lives as a child of the application object.
class MessageQueueDriver : public QObject {
public:
  static const QEvent::Type kDrainEvent;

  // The driver, created on first use; Existing() gives null before that or after the
  // application object is gone.
  static MessageQueueDriver *Instance();
  static MessageQueueDriver *Existing();
  std::uint64_t Post(QueuedMessage message);
  bool MayBeQueued(std::uint64_t serial) const { return serial > takenSerial_; }
  std::uint64_t LastSerial() const { return lastSerial_; }
  void Drop(const std::function<bool(const QueuedMessage &)> &predicate);
  bool InDispatch() const { return depth_ > 0; }
  void WithDirectDrain(const std::function<void()> &fn);
  bool DrainNow();

protected:
  bool event(QEvent *event) override;

private:
  struct Entry {
    QueuedMessage message;
    std::uint64_t serial;
  };

  MessageQueueDriver() : QObject(QCoreApplication::instance()) {}
  // Schedules a drain through the event loop, unless a direct drain is under way.
  void RequestDrain();
  void ScheduleDrain();
  void Drain();
  void Dispatch(QueuedMessage &message);
  void RunTask(QueuedMessage &message);

  std::deque<Entry> queue_;
  std::uint64_t lastSerial_ = 0;
  std::uint64_t takenSerial_ = 0;
  bool drainScheduled_ = false;
  bool drainRefused_ = false;
  int depth_ = 0;
  int directDepth_ = 0;
};

const QEvent::Type MessageQueueDriver::kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

namespace {
QPointer<MessageQueueDriver> &TheDriver() {
  static QPointer<MessageQueueDriver> driver;
  return driver;
}
} // namespace

MessageQueueDriver *MessageQueueDriver::Instance() {
  QPointer<MessageQueueDriver> &driver = TheDriver();
  if (driver.isNull()) {
    Q_ASSERT(QCoreApplication::instance() != nullptr);
    driver = new MessageQueueDriver();
  }
  return driver.data();
}

MessageQueueDriver *MessageQueueDriver::Existing() {
  return TheDriver().data();
}

void MessageQueueDriver::RequestDrain() {
  if (directDepth_ == 0) {
    ScheduleDrain();
  }
}

void MessageQueueDriver::ScheduleDrain() {
  if (!drainScheduled_) {
    drainScheduled_ = true;
    QCoreApplication::postEvent(this, new QEvent(kDrainEvent));
  }
}

std::uint64_t MessageQueueDriver::Post(QueuedMessage message) {
  queue_.push_back(Entry{std::move(message), ++lastSerial_});
  RequestDrain();
  return lastSerial_;
}

void MessageQueueDriver::Drop(const std::function<bool(const QueuedMessage &)> &predicate) {
  std::erase_if(queue_, [&predicate](const Entry &entry) { return predicate(entry.message); });
}

void MessageQueueDriver::WithDirectDrain(const std::function<void()> &fn) {
  struct Scope {
    MessageQueueDriver &driver;
    explicit Scope(MessageQueueDriver &d) : driver(d) { ++driver.directDepth_; }
    ~Scope() {
      if (--driver.directDepth_ == 0 && !driver.queue_.empty()) {
        driver.ScheduleDrain();
      }
    }
  } scope(*this);
  fn();
}

bool MessageQueueDriver::DrainNow() {
  if (depth_ > 0 || queue_.empty()) {
    return false;
  }
  Drain();
  return true;
}

bool MessageQueueDriver::event(QEvent *event) {
  if (event->type() != kDrainEvent) {
    return QObject::event(event);
  }
  drainScheduled_ = false;
  Drain();
  return true;
}

// Dispatches the entries that were queued when the drain began, then yields to Qt so that a
// handler that keeps posting cannot starve sockets, timers and painting.
void MessageQueueDriver::Drain() {
  if (depth_ > 0) {
    drainRefused_ = true;
    return;
  }
  for (std::size_t batch = queue_.size(); batch > 0 && !queue_.empty(); --batch) {
    QueuedMessage message = std::move(queue_.front().message);
    takenSerial_ = queue_.front().serial;
    queue_.pop_front();
    if (message.task) {
      RunTask(message);
    } else {
      Dispatch(message);
    }
  }
  if (!queue_.empty()) {
    RequestDrain();
  }
}

void MessageQueueDriver::Dispatch(QueuedMessage &message) {
  ++depth_;
  RunGuarded("Message dispatch", [&message] {
    if (message.window != nullptr) {
      message.window->DispatchQueued(message);
    } else if (message.timer != nullptr) {
      message.timer->DispatchTick();
    }
  });
  --depth_;
  if (depth_ == 0 && drainRefused_) {
    drainRefused_ = false;
    RequestDrain();
  }
}

// A task runs outside any handler: while it shows a modal dialog, queued messages are dispatched
// by the dialog's event loop, so drains go through the event loop while it runs, even inside a
// direct drain.
void MessageQueueDriver::RunTask(QueuedMessage &message) {
  const int direct = std::exchange(directDepth_, 0);
  if (!queue_.empty()) {
    ScheduleDrain();
  }
  RunGuarded("Deferred task", message.task);
  directDepth_ = direct;
}

namespace message_queue {

std::uint64_t Post(QueuedMessage message) {
  return MessageQueueDriver::Instance()->Post(std::move(message));
}

bool MayBeQueued(std::uint64_t serial) {
  const MessageQueueDriver *driver = MessageQueueDriver::Existing();
  return driver != nullptr && driver->MayBeQueued(serial);
}

std::uint64_t LastSerial() {
  const MessageQueueDriver *driver = MessageQueueDriver::Existing();
  return driver != nullptr ? driver->LastSerial() : 0;
}

bool TakenPast(std::uint64_t serial) {
  const MessageQueueDriver *driver = MessageQueueDriver::Existing();
  // Without a queue nothing waits and no handler runs.
  return driver == nullptr || !driver->MayBeQueued(serial + 1);
}

void WithDirectDrain(const std::function<void()> &fn) {
  MessageQueueDriver::Instance()->WithDirectDrain(fn);
}

bool DrainNow() {
  return MessageQueueDriver::Instance()->DrainNow();
}

void Drop(const std::function<bool(const QueuedMessage &)> &predicate) {
  if (MessageQueueDriver *driver = MessageQueueDriver::Existing()) {
    driver->Drop(predicate);
  }
}

bool InDispatch() {
  const MessageQueueDriver *driver = MessageQueueDriver::Existing();
  return driver != nullptr && driver->InDispatch();
}

} // namespace message_queue

void RunGuarded(const char *context, const std::function<void()> &fn) {
  try {
    fn();
  } catch (const std::exception &e) {
    qWarning("%s failed: %s", context, e.what());
  } catch (...) {
    qWarning("%s failed with an unknown exception", context);
  }
}

void ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RunOutsideDispatch(std::function<void()> fn) {
  QueuedMessage message;
  message.task = std::move(fn);
  message.source = MessageSource::Task;
  message_queue::Post(std::move(message));
}

} // namespace ql
