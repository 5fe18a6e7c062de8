#pragma once

#include <QObject>
#include <QString>

namespace vx {

// CLIPBOARD(): the clipboard's text; SETCLIPBOARD(text) replaces it.
QString CLIPBOARD();
void SETCLIPBOARD(const QString &text);

// Tells a caller that watches the clipboard whether it may hold something new, from the
// toolkit's notice of each change (a copy in any program), so that the clipboard's text,
// which another program may have to send whole, is fetched only after a change. The first
// question after construction answers true. Lives on the GUI thread, as every run-time
// thread does.
class ClipboardChanges : public QObject {
public:
  ClipboardChanges();
  // True when the clipboard changed since the last call (or this is the first); clears the
  // mark.
  bool Take();

private:
  bool changed_ = true;
};
// BEEP(): the system's warning sound.
void BEEP();
// PATH(): the working directory, in which the data files are opened by relative name.
QString PATH();
// SETPATH(directory): changes the working directory; false (and error 2 set) when it cannot.
bool SETPATH(const QString &directory);

} // namespace vx
