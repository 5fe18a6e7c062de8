#pragma once

#include <QObject>

class QSocketNotifier;

namespace ql {

// Turns SIGINT and SIGTERM into an orderly end of the program at any moment: the signal
// handler only notes the request and writes a byte to a pipe. The GUI thread, woken by it
// (also inside the nested loop of a modal dialog), closes any modal dialog and calls
// QCoreApplication::quit(). The program then leaves exec() and frees its windows, so the
// engine stops in its usual order; a signal that came before exec() is seen by Requested(),
// which the program asks before it enters the loop. One instance per process; it restores
// the default handlers when destroyed.
class TStopSignals : public QObject {
public:
  TStopSignals();
  ~TStopSignals() override;

  // True once SIGINT or SIGTERM arrived.
  static bool Requested();

private:
  QSocketNotifier *notifier_ = nullptr;
};

} // namespace ql
