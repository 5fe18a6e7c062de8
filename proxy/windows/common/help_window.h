#pragma once

#include <QString>

namespace ql {

// Shows the program's help at a context number: the help file (HelpFile(), an HTML document
// beside the program) in the help window, scrolled to the topic whose anchor is named
// "context-N", or at its top when there is none. The window is made on first use and freed
// when the application ends. A help file that cannot be read gets an error dialog.
void ShowHelpContext(int context);

} // namespace ql
