#pragma once

#include <QString>

namespace vx {

// The program-wide variables through which procedures hand work to each other. There is
// one copy for the whole program, shared by every thread: a caller sets GlobalRequest right
// before it calls a procedure directly and reads GlobalResponse right after the call, with
// no wait in between, so no other thread runs in the meantime.
extern int GlobalRequest;        // 1 insert, 2 change, 3 delete, 4 select
extern int GlobalResponse;       // 1 completed, 2 cancelled
extern QString ExchangeFileName; // the file the next import, merge or export side file uses
extern QString VersionText;      // the data version read at start, then the program's version

// Puts the program-wide variables in their starting state: texts blank, numbers 0.
void ResetGlobals();

// The hand-over every procedure makes: on construction it keeps the incoming GlobalRequest
// as its own request, sets its own response to 2 and clears both globals; on destruction
// it leaves its response in GlobalResponse (2 when it is 0).
class ProcedureScope {
public:
  ProcedureScope();
  ~ProcedureScope();
  ProcedureScope(const ProcedureScope &) = delete;
  ProcedureScope &operator=(const ProcedureScope &) = delete;

  int request = 0;
  int response = 2;
};

} // namespace vx
