#pragma once

#include <QObject>

class QSocketNotifier;

namespace ql {

// Turns SIGINT and SIGTERM into an orderly end of the Qt event loop: the signal handler
// only writes a byte to a pipe, and the GUI thread, woken by it, calls
// QCoreApplication::quit(). The program then leaves exec() and frees its windows, so the
// engine stops in its usual order. One instance per process; it restores the default
// handlers when destroyed.
class TStopSignals : public QObject {
public:
  TStopSignals();
  ~TStopSignals() override;

private:
  QSocketNotifier *notifier_ = nullptr;
};

} // namespace ql
