#pragma once

#include "proxy/platform/message_window.h"

#include <functional>
#include <vector>

namespace ql::test {

struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// A message window that records every message it is given and optionally hands it to a
// test's own handler as well.
class RecordingWindow : public MessageWindow {
public:
  std::vector<Received> received;
  std::function<void(const Received &)> onMessage;

  // Messages with this number and wParam, optionally only those whose low word is `event`.
  std::vector<Received> Matching(UINT msg, WPARAM wParam, int event = -1) const;

protected:
  void WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Runs the event loop until the predicate holds or the time-out passes; returns the predicate.
bool SpinUntil(const std::function<bool()> &predicate, int timeoutMs = 5000);
// Runs the event loop for about ms milliseconds (to show that something does not happen).
void SpinFor(int ms);

} // namespace ql::test
