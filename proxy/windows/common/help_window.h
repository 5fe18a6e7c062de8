#pragma once

#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

namespace ql {

// Shows the program's help at a context number in the help window. The help file (HelpFile(),
// an HTML document beside the program) holds one section per context: an anchor named
// "context-N" and what follows it up to the next such anchor. The window shows that section
// alone, or the contents (context 1) when the file has none for N; a link to "#context-N"
// turns to that section, and Escape closes the window. Asked for from a modal dialog, the
// window belongs to the dialog, so that it takes keys and clicks while the dialog runs. The
// file is read at every call, so that the window always shows it as it is; one that cannot be
// read gets an error dialog. The window is made on first use and freed when the application
// ends. GUI thread only.
void ShowHelpContext(int context);

// Makes F1, pressed anywhere in window, call showHelp. window owns the key.
void AddHelpKey(QWidget *window, std::function<void()> showHelp);
// The same for a window with a Help button: F1 clicks it, so that the key shows the help the
// button does (on a window with pages, the page's own).
void AddHelpKey(QWidget *window, QAbstractButton *helpButton);

} // namespace ql
