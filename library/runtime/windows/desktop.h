#pragma once

#include <QString>

namespace vx {

// CLIPBOARD(): the clipboard's text; SETCLIPBOARD(text) replaces it.
QString CLIPBOARD();
void SETCLIPBOARD(const QString &text);
// BEEP(): the system's warning sound.
void BEEP();
// PATH(): the working directory, in which the data files are opened by relative name.
QString PATH();
// SETPATH(directory): changes the working directory; false (and error 2 set) when it cannot.
bool SETPATH(const QString &directory);

} // namespace vx
