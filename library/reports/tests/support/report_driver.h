#pragma once

#include "library/runtime/report/page_image.h"
#include "library/runtime/report/page_queue.h"
#include "library/runtime/report/report.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vx {
class Window;
}

namespace vx::test {

// The open window of `thread` with the caption `title`, or null.
Window *WindowTitled(int thread, const QString &title);
// Waits on the running thread until `thread` has a window captioned `title`, and returns it.
Window &AwaitWindow(int thread, const QString &title);

// The texts drawn on a page image file, in drawing order; empty when it cannot be read.
QStringList PageTexts(const QString &file);
// The first text step of a page image file whose text begins with `start`.
std::optional<PageOp> FindText(const QString &file, const QString &start);

// The number of pages of a PDF file; 0 when it is missing.
int PdfPageCount(const QString &file);

// The program's printer made to print to a PDF file that the user names, whatever printers
// the machine has.
void PrintToAskedFile();

// A page queue of `count` pages, each with the text "Sample page n", kept by a report that
// lives as long as the object.
class SamplePages {
public:
  explicit SamplePages(int count);
  PageQueue queue;

private:
  QString text_;
  Report report_;
};

} // namespace vx::test
