#include "library/runtime/report/print_pages.h"

#include "library/runtime/data/atomic_file.h"
#include "library/runtime/report/page_image.h"
#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/message_box.h"
#include "library/runtime/windows/printer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace vx {

namespace {

bool Failed(const QString &cause) {
  MESSAGE(QStringLiteral("The report could not be printed: %1.").arg(cause), QStringLiteral("Print Error"),
          MessageIcon::Hand, BUTTON_OK);
  return false;
}

// Draws every page on its own sheet of `device`, from the sheet's corner at true size.
bool PaintPages(QPagedPaintDevice &device, int resolution, const std::vector<QString> &files) {
  QPainter painter;
  if (!painter.begin(&device))
    return Failed(QStringLiteral("the printer could not be started"));
  const double scale = resolution / 1000.0;
  bool first = true;
  for (const QString &file : files) {
    const std::optional<PageImage> page = PageImage::Load(file);
    if (!page) {
      painter.end();
      return Failed(QStringLiteral("the page file %1 could not be read").arg(file));
    }
    if (!first)
      device.newPage();
    first = false;
    const QSize size = page->Size();
    page->Render(painter, QRectF(0, 0, size.width() * scale, size.height() * scale));
  }
  return painter.end();
}

} // namespace

bool PrintPageFiles(const std::vector<QString> &files) {
  if (files.empty())
    return true;
  QPrinter &printer = SharedPrinter();
  if (printer.outputFormat() != QPrinter::PdfFormat) {
    printer.setFullPage(true);
    return PaintPages(printer, printer.resolution(), files);
  }
  QString destination = printer.outputFileName();
  const bool setUp = !destination.isEmpty();
  if (!setUp) {
    destination = QStringLiteral("report.pdf");
    if (!FILEDIALOG(QStringLiteral("Print to File"), destination, QStringLiteral("PDF files|*.pdf"), true))
      return false;
  }
  // The document is made in memory and replaces the file in one step.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    QPageLayout layout = printer.pageLayout();
    layout.setMode(QPageLayout::FullPageMode);
    layout.setMargins(QMarginsF());
    writer.setPageLayout(layout);
    writer.setCreator(QStringLiteral("Vornix"));
    if (!PaintPages(writer, writer.resolution(), files))
      return false;
  }
  QString error;
  if (!WriteFileAtomically(destination, buffer.data(), &error))
    return Failed(QStringLiteral("%1: %2").arg(destination, error));
  // A file chosen in the printer set-up is written without the user seeing it happen.
  if (setUp)
    MESSAGE(QStringLiteral("The report was printed to the file %1.")
                .arg(QFileInfo(destination).absoluteFilePath()),
            QStringLiteral("Print"), MessageIcon::Asterisk, BUTTON_OK);
  return true;
}

} // namespace vx
