#pragma once

#include <QString>
#include <functional>

namespace vx {

// The program's procedures by name, for the frame's menu and for the procedures that start
// or call others by name. A menu entry whose procedure is not registered is shown disabled.
using ProcedureFn = std::function<void()>;

void RegisterProcedure(const QString &name, ProcedureFn procedure);
// The procedure registered under `name`, or an empty function.
ProcedureFn FindProcedure(const QString &name);
void UnregisterProcedure(const QString &name);

// Registers every procedure the program has.
void RegisterProgramProcedures();

} // namespace vx
