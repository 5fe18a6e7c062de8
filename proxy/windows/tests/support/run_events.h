#pragma once

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace ql::test {

// Runs the program's events until done holds; false when it still does not after ms.
inline bool RunEventsUntil(const std::function<bool()> &done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

} // namespace ql::test
