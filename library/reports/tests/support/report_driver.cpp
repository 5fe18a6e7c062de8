#include "support/report_driver.h"

#include "library/runtime/windows/printer.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"

#include <QFile>
#include <QPrinter>
#include <QRegularExpression>

namespace vx::test {

Window *WindowTitled(int thread, const QString &title) {
  if (!scheduler::IsAlive(thread))
    return nullptr;
  for (Window *window : scheduler::WindowsOf(thread)) {
    if (window->IsOpen() && window->Title() == title)
      return window;
  }
  return nullptr;
}

Window &AwaitWindow(int thread, const QString &title) {
  WaitFor([&] { return WindowTitled(thread, title) != nullptr; });
  return *WindowTitled(thread, title);
}

QStringList PageTexts(const QString &file) {
  QStringList texts;
  if (const auto page = PageImage::Load(file)) {
    for (const PageOp &op : page->Ops()) {
      if (op.kind == PageOp::Text)
        texts << op.text;
    }
  }
  return texts;
}

std::optional<PageOp> FindText(const QString &file, const QString &start) {
  if (const auto page = PageImage::Load(file)) {
    for (const PageOp &op : page->Ops()) {
      if (op.kind == PageOp::Text && op.text.startsWith(start))
        return op;
    }
  }
  return std::nullopt;
}

int PdfPageCount(const QString &file) {
  QFile pdf(file);
  if (!pdf.open(QIODevice::ReadOnly))
    return 0;
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
  return int(QString::fromLatin1(pdf.readAll()).count(page));
}

void PrintToAskedFile() {
  SharedPrinter().setOutputFormat(QPrinter::PdfFormat);
  SharedPrinter().setOutputFileName(QString());
}

namespace {

// One band a page: the band fills the page's detail area.
ReportStructure SampleStructure(const QString *text) {
  ReportStructure s;
  s.name = QStringLiteral("SAMPLE$REPORT");
  s.detailArea = QRect(1000, 1000, 6000, 9000);
  s.detail.at = QRect(0, 0, 6000, 9000);
  s.detail.Field([text] { return *text; }, QStringLiteral("S40"), QRect(0, 0, 6000, 200));
  return s;
}

} // namespace

SamplePages::SamplePages(int count) : report_(SampleStructure(&text_)) {
  report_.Open();
  report_.SetPreviewQueue(&queue);
  for (int page = 1; page <= count; ++page) {
    text_ = QStringLiteral("Sample page %1").arg(page);
    report_.Print();
  }
  report_.EndPage();
}

} // namespace vx::test
