#include "proxy/windows/stop_signals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace ql {

namespace {

// To the GUI thread, and to the watchdog.
int gPipe[2] = {-1, -1};
int gWatchPipe[2] = {-1, -1};
// Lock-free, so the handler may use them; seen by every thread.
std::atomic<bool> gRequested{false};
// The signals that came so far, and the last one.
std::atomic<int> gCount{0};
std::atomic<int> gSignal{0};

// What the destructor sends the watchdog so that it ends.
constexpr char kQuit = 0;
constexpr char kStop = 1;

// Guard the count of requests the GUI thread took up, and the end of the watchdog.
std::mutex gMutex;
std::condition_variable gTakenUp;
int gTakenUpCount = 0;
bool gEnding = false;

extern "C" void OnStopSignal(int signal) {
  // The interrupted code may be about to read errno; a write that fails (a full pipe) sets it.
  const int savedErrno = errno;
  gRequested = true;
  gSignal = signal;
  ++gCount;
  [[maybe_unused]] ssize_t n = ::write(gPipe[1], &kStop, 1);
  n = ::write(gWatchPipe[1], &kStop, 1);
  errno = savedErrno;
}

} // namespace

TStopSignals::TStopSignals(std::function<void()> hangAction, std::chrono::milliseconds patience)
    : hangAction_(std::move(hangAction)), patience_(patience) {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0 || ::pipe2(gWatchPipe, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot create the stop-signal pipes");
  // The handler must never block on a full pipe; the watchdog's end blocks in its reads.
  ::fcntl(gWatchPipe[1], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { TakeUp(); });
  watchdog_ = std::thread([this] { Watch(); });
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool TStopSignals::Requested() {
  return gRequested;
}

void TStopSignals::TakeUp() {
  char bytes[16];
  while (::read(gPipe[0], bytes, sizeof(bytes)) > 0) {
  }
  {
    const std::lock_guard lock(gMutex);
    gTakenUpCount = gCount;
  }
  gTakenUp.notify_all();
  // A modal dialog runs a loop of its own: close it, so that whoever opened it goes on to
  // the end of the program.
  for (int i = 0; i < 16 && QApplication::activeModalWidget() != nullptr; ++i) {
    QWidget *modal = QApplication::activeModalWidget();
    if (auto *dialog = qobject_cast<QDialog *>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }
  if (stopAction_)
    stopAction_();
  else
    QCoreApplication::quit();
}

void TStopSignals::Watch() {
  for (;;) {
    char byte = kQuit;
    const ssize_t n = ::read(gWatchPipe[0], &byte, 1);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0 || byte == kQuit)
      return;
    std::unique_lock lock(gMutex);
    const int wanted = gCount;
    if (gTakenUp.wait_for(lock, patience_, [wanted] { return gTakenUpCount >= wanted || gEnding; })) {
      if (gEnding)
        return;
      continue;
    }
    lock.unlock();
    // The GUI thread does not answer: what its exit would have done that matters outside the
    // program is done from here, unless the GUI thread's exit is doing it, and the process ends
    // as the signal asks.
    if (hangAction_ && !exitRestore_.Run(hangAction_))
      exitRestore_.WaitWhileRunning(patience_);
    const int signal = gSignal;
    std::signal(signal, SIG_DFL);
    ::kill(::getpid(), signal);
    ::_exit(128 + signal);
  }
}

TStopSignals::~TStopSignals() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  // The program ends in order: a watchdog waiting for the GUI thread stands down too.
  {
    const std::lock_guard lock(gMutex);
    gEnding = true;
  }
  gTakenUp.notify_all();
  [[maybe_unused]] const ssize_t n = ::write(gWatchPipe[1], &kQuit, 1);
  watchdog_.join();
  delete notifier_;
  for (int *fds : {gPipe, gWatchPipe}) {
    ::close(fds[0]);
    ::close(fds[1]);
    fds[0] = fds[1] = -1;
  }
}

} // namespace ql
