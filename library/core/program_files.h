#pragma once

#include <QIcon>
#include <QString>

namespace vx {

// The program's own resource files (pictures and icons), which sit beside the executable.
QString ProgramFile(const QString &name);
// An icon file beside the executable; an empty icon when it is missing.
QIcon ProgramIcon(const QString &name);

} // namespace vx
