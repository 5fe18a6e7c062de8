#include "proxy/windows/stop_signals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace ql {

namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gRequested = 0;

extern "C" void OnStopSignal(int) {
  gRequested = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
}

} // namespace

TStopSignals::TStopSignals() {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("cannot create the stop-signal pipe");
  }
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [] {
    char bytes[16];
    while (::read(gPipe[0], bytes, sizeof(bytes)) > 0) {
    }
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
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool TStopSignals::Requested() {
  return gRequested != 0;
}

TStopSignals::~TStopSignals() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  delete notifier_;
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

} // namespace ql
