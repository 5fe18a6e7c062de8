#include "proxy/platform/socket_poller.h"

#include "proxy/platform/message_queue.h"
#include "proxy/platform/socket_table.h"
#include "proxy/platform/sys_socket.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ql {
namespace {

// The epoll set and the one notifier through which the event loop sees it.
class SocketPoller : public QObject {
public:
  SocketPoller();
  ~SocketPoller() override;

  void Watch(SocketRecord &record);
  void Recheck(SocketRecord &record);
  bool InPass() const { return passDepth_ > 0; }

protected:
  bool event(QEvent *event) override;

private:
  // Rounds of a pass: reports, rechecks and the messages they posted, while there is work.
  // Then the event loop gets its turn (timers, painting) before the next pass.
  static constexpr int kRounds = 4;
  static constexpr int kReportsPerRound = 256;
  static const QEvent::Type kPassEvent;

  void Pass();
  bool TakeReports();
  bool RunRechecks();
  void SchedulePass();

  int epfd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<std::uint64_t> rechecks_; // socket keys
  bool passScheduled_ = false;
  int passDepth_ = 0;
};

const QEvent::Type SocketPoller::kPassEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::unique_ptr<SocketPoller> &ThePoller() {
  static std::unique_ptr<SocketPoller> poller;
  return poller;
}

SocketPoller &Poller() {
  std::unique_ptr<SocketPoller> &poller = ThePoller();
  if (!poller) {
    poller = std::make_unique<SocketPoller>();
  }
  return *poller;
}

SocketPoller::SocketPoller() {
  epfd_ = sys::EpollCreate();
  if (epfd_ < 0) {
    throw std::runtime_error("the socket readiness set cannot be created");
  }
  notifier_ = std::make_unique<QSocketNotifier>(epfd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this,
                   [this] { RunGuarded("Socket notification", [this] { Pass(); }); });
}

SocketPoller::~SocketPoller() {
  notifier_.reset();
  sys::Close(epfd_);
}

void SocketPoller::Watch(SocketRecord &record) {
  if (sys::EpollAdd(epfd_, record.fd, SocketKey(record)) == 0) {
    record.watched = true;
  }
}

void SocketPoller::Recheck(SocketRecord &record) {
  if (record.recheckQueued) {
    return;
  }
  record.recheckQueued = true;
  rechecks_.push_back(SocketKey(record));
  if (passDepth_ == 0) {
    SchedulePass();
  }
}

void SocketPoller::SchedulePass() {
  if (!passScheduled_) {
    passScheduled_ = true;
    QCoreApplication::postEvent(this, new QEvent(kPassEvent));
  }
}

bool SocketPoller::event(QEvent *event) {
  if (event->type() != kPassEvent) {
    return QObject::event(event);
  }
  passScheduled_ = false;
  RunGuarded("Socket notification", [this] { Pass(); });
  return true;
}

void SocketPoller::Pass() {
  struct Depth {
    int &depth;
    explicit Depth(int &d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } depth(passDepth_);
  message_queue::WithDirectDrain([this] {
    for (int round = 0; round < kRounds; ++round) {
      const bool reported = TakeReports();
      const bool rechecked = RunRechecks();
      const bool dispatched = message_queue::DrainNow();
      if (!reported && !rechecked && !dispatched) {
        break;
      }
    }
  });
  // Rechecks asked for by the last round's handlers; reports left over keep the set's
  // descriptor readable, so the notifier comes back for them.
  if (!rechecks_.empty()) {
    SchedulePass();
  }
}

bool SocketPoller::TakeReports() {
  std::array<sys::ReadyReport, kReportsPerRound> reports;
  const int n = sys::EpollTake(epfd_, reports.data(), kReportsPerRound);
  for (int i = 0; i < n; ++i) {
    const sys::ReadyReport &report = reports[static_cast<std::size_t>(i)];
    // A report for a socket closed meanwhile finds nothing, even when its handle was given again.
    SocketRecord *record = FindSocketByKey(report.key);
    if (record == nullptr) {
      continue;
    }
    record->readReady = report.readiness.readable;
    record->writeReady = report.readiness.writable;
    record->peerShut = record->peerShut || report.peerShut;
    // A report tells what holds when it is taken, and nothing has read the socket since.
    record->dataWaiting = report.readiness.readable && !report.peerShut;
    EvaluateSocket(*record);
  }
  return n > 0;
}

bool SocketPoller::RunRechecks() {
  if (rechecks_.empty()) {
    return false;
  }
  std::vector<std::uint64_t> due;
  due.swap(rechecks_);
  for (const std::uint64_t key : due) {
    if (SocketRecord *record = FindSocketByKey(key)) {
      record->recheckQueued = false;
      EvaluateSocket(*record);
    }
  }
  return true;
}

} // namespace

bool WatchSocket(SocketRecord &record) {
  if (record.watched) {
    return true;
  }
  Poller().Watch(record);
  if (!record.watched) {
    return false;
  }
  if (record.readinessSeeded) {
    return true;
  }
  record.readinessSeeded = true;
  if (record.state == SocketRecord::State::Connected || record.state == SocketRecord::State::Listening) {
    const sys::Readiness readiness = sys::Poll(record.fd);
    record.readReady = readiness.readable;
    record.writeReady = readiness.writable;
    record.peerShut = readiness.failed;
  }
  return true;
}

void RecheckSocket(SocketRecord &record) {
  if (record.watched) {
    Poller().Recheck(record);
  }
}

void StopSocketPoller() {
  std::unique_ptr<SocketPoller> &poller = ThePoller();
  if (poller && poller->InPass()) {
    // A handler of the running pass stopped the layer: the pass ends first.
    poller.release()->deleteLater();
  } else {
    poller.reset();
  }
}

} // namespace ql
