#include "support/recording_window.h"

#include <QDeadlineTimer>
#include <QTest>

namespace ql::test {

std::vector<Received> RecordingWindow::Matching(UINT msg, WPARAM wParam, int event) const {
  std::vector<Received> result;
  for (const Received &r : received) {
    if (r.msg == msg && r.wParam == wParam &&
        (event < 0 || LOWORD(static_cast<std::uintptr_t>(r.lParam)) == event)) {
      result.push_back(r);
    }
  }
  return result;
}

void RecordingWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const Received message{msg, wParam, lParam};
  received.push_back(message);
  if (onMessage) {
    onMessage(message);
  }
}

bool SpinUntil(const std::function<bool()> &predicate, int timeoutMs) {
  return QTest::qWaitFor(predicate, timeoutMs);
}

void SpinFor(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QTest::qSleep(1);
  }
  QCoreApplication::processEvents();
}

} // namespace ql::test
