#pragma once

#include <QString>
#include <vector>

namespace vx {

// Prints page image files (page_image.h), one per sheet in order, on the program's printer
// (printer.h), each page placed at the sheet's top left corner at its true size. When the
// printer has no destination (no printer is installed and no file was chosen in the
// printer set-up), the user is asked for a PDF file to print to, through the file dialog;
// a PDF file is written beside its final name and renamed over it once complete, so a
// failed print leaves any earlier file of that name as it was. A file chosen in the printer
// set-up is named to the user once it is written (a message box "Print").
//
// Returns false when nothing was printed: the user declined the file, or printing failed
// (the printer could not start, a page file could not be read, the PDF file could not be
// written), which a message box "Print Error" tells the user, naming the cause. On a real
// printer the sheets before a failure may have printed; a PDF is then not written at all.
bool PrintPageFiles(const std::vector<QString> &files);

} // namespace vx
