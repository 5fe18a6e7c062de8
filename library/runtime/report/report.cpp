#include "library/runtime/report/report.h"

#include "library/runtime/language/format.h"
#include "library/runtime/language/string_functions.h"
#include "library/runtime/report/page_queue.h"
#include "library/runtime/report/print_pages.h"

#include <QDir>
#include <QFile>
#include <QTextLayout>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace vx {

namespace {

constexpr int kPen = 10; // lines and frames: a hundredth of an inch

// The picture's kind letter, upper-cased, after an optional '@'.
QChar PictureKind(const QString &picture) {
  const QString p = picture.startsWith(QLatin1Char('@')) ? picture.mid(1) : picture;
  return p.isEmpty() ? QChar() : p.at(0).toUpper();
}

// The folder the user named in TMPDIR, made absolute, or /tmp when TMPDIR is unset or
// empty. Taken as named: a folder that cannot be used is reported, never replaced by
// another one.
QString TemporaryFolder() {
  const QString named = qEnvironmentVariable("TMPDIR");
  return named.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(QDir::current().absoluteFilePath(named));
}

// Why `folder` cannot hold the reports' page files; empty when it can be tried. The file
// system's root never holds them.
QString UnusableFolderCause(const QString &folder) {
  struct stat st {};
  if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
    return QString::fromLocal8Bit(std::strerror(errno));
  if (!S_ISDIR(st.st_mode))
    return QString::fromLocal8Bit(std::strerror(ENOTDIR));
  if (QDir(folder).canonicalPath() == QDir::rootPath())
    return QStringLiteral("it is the file system's root");
  return {};
}

} // namespace

QString FitText(const QString &text, const QFontMetricsF &metrics, double width) {
  if (metrics.horizontalAdvance(text) <= width)
    return text;
  // The longest prefix that fits: advances grow with the prefix, so a binary search finds it.
  qsizetype low = 0, high = text.size();
  while (low < high) {
    const qsizetype mid = (low + high + 1) / 2;
    if (metrics.horizontalAdvance(text.left(mid)) <= width)
      low = mid;
    else
      high = mid - 1;
  }
  return text.left(low);
}

QStringList WrapText(const QString &text, const QFont &font, double width) {
  const QFontMetricsF metrics(font);
  QStringList lines;
  QString normal = text;
  normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  for (const QString &paragraph : normal.split(QLatin1Char('\n'))) {
    const QString clipped = CLIP(paragraph);
    if (clipped.isEmpty()) {
      lines << QString();
      continue;
    }
    QTextLayout layout(clipped, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      lines << FitText(CLIP(clipped.mid(line.textStart(), line.textLength())), metrics, width);
    }
    layout.endLayout();
  }
  while (!lines.isEmpty() && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

// A band laid out for one printing: its steps relative to the band's top left corner.
struct Report::Placed {
  struct Step {
    PageOp::Kind kind;
    QRect rect;
    QColor colour;
    PageFont font;
    int flags = 0;
    QString text;
  };
  int height = 0;
  std::vector<Step> steps;
};

Report::Report(ReportStructure structure) : s_(std::move(structure)) {}

Report::~Report() = default;

bool Report::Open() {
  if (open_)
    return true;
  const QString temporary = TemporaryFolder();
  QString why = UnusableFolderCause(temporary);
  if (why.isEmpty()) {
    folder_ = std::make_unique<QTemporaryDir>(temporary + QStringLiteral("/vornix-report-XXXXXX"));
    if (!folder_->isValid()) {
      why = folder_->errorString();
      folder_.reset();
    }
  }
  if (!why.isEmpty()) {
    failure_ = QStringLiteral("the temporary folder %1 could not be used: %2").arg(temporary, why);
    return false;
  }
  files_.clear();
  failure_.clear();
  printPreviewed_ = false;
  open_ = true;
  return true;
}

PageFont Report::FontOf(const ReportItem &item) const {
  return item.font ? *item.font : s_.font;
}

const QFontMetricsF &Report::Metrics(const PageFont &font) {
  for (const auto &[known, metrics] : metrics_) {
    if (known == font)
      return *metrics;
  }
  metrics_.emplace_back(font, std::make_unique<QFontMetricsF>(QFontOf(font)));
  return *metrics_.back().second;
}

Report::Placed Report::Layout(const ReportBand &band, int pageNumber) {
  Placed placed;
  placed.height = band.at.height();
  // Memos first: the band grows by what the tallest one needs beyond its box, below the box.
  int growth = 0;
  int pivot = 0;
  std::vector<QStringList> memoLines;
  for (const ReportItem &item : band.items) {
    if (item.kind != ReportItem::Memo)
      continue;
    const QFontMetricsF &metrics = Metrics(FontOf(item));
    memoLines.push_back(
        WrapText(item.value ? item.value() : QString(), QFontOf(FontOf(item)), item.at.width()));
    const int needed = int(memoLines.back().size() * metrics.lineSpacing() + 0.999);
    if (needed - item.at.height() > growth) {
      growth = needed - item.at.height();
      pivot = item.at.y() + item.at.height();
    }
  }
  placed.height += growth;
  auto moved = [growth, pivot](QRect r) {
    if (growth <= 0)
      return r;
    if (r.y() >= pivot)
      r.translate(0, growth);
    else if (r.y() + r.height() >= pivot)
      r.setHeight(r.height() + growth);
    return r;
  };

  std::size_t memo = 0;
  for (const ReportItem &item : band.items) {
    Placed::Step step{PageOp::Text, moved(item.at), {}, FontOf(item), Qt::AlignLeft | Qt::AlignTop, {}};
    switch (item.kind) {
    case ReportItem::Box:
      if (item.fill.isValid()) {
        step.kind = PageOp::Fill;
        step.colour = item.fill;
        placed.steps.push_back(step);
      }
      step.kind = PageOp::Frame;
      placed.steps.push_back(step);
      continue;
    case ReportItem::Line:
      step.kind = PageOp::Line;
      placed.steps.push_back(step);
      continue;
    case ReportItem::Memo: {
      const QFontMetricsF &metrics = Metrics(step.font);
      const QStringList &lines = memoLines[memo++];
      const double spacing = metrics.lineSpacing();
      for (int i = 0; i < lines.size(); ++i) {
        Placed::Step line = step;
        line.rect = QRect(item.at.x(), item.at.y() + int(i * spacing), item.at.width(), int(spacing + 0.999));
        line.text = lines[i];
        placed.steps.push_back(line);
      }
      continue;
    }
    case ReportItem::String:
      step.text = item.text;
      break;
    case ReportItem::PageNumber:
      step.text = FORMAT(pageNumber, item.text);
      break;
    case ReportItem::Field: {
      const QString value = item.value ? item.value() : QString();
      if (PictureKind(item.text) == QLatin1Char('N')) {
        step.text = FORMAT(value.trimmed().toLongLong(), item.text).trimmed();
        step.flags = Qt::AlignRight | Qt::AlignTop;
      } else {
        step.text = CLIP(FORMAT(value, item.text));
      }
      break;
    }
    }
    step.text = FitText(step.text, Metrics(step.font), step.rect.width());
    if (!step.text.isEmpty())
      placed.steps.push_back(step);
  }
  return placed;
}

void Report::Emit(const Placed &band, QPoint origin) {
  for (const Placed::Step &step : band.steps) {
    const QRect rect = step.rect.translated(origin);
    switch (step.kind) {
    case PageOp::Fill:
      page_->AddFill(rect, step.colour);
      break;
    case PageOp::Frame:
      page_->AddFrame(rect, kPen);
      break;
    case PageOp::Line:
      page_->AddLine(rect.topLeft(), rect.topLeft() + QPoint(step.rect.width(), step.rect.height()), kPen);
      break;
    case PageOp::Text:
      page_->AddText(rect, step.font, step.flags, step.text);
      break;
    }
  }
}

void Report::StartPage() {
  page_ = std::make_unique<PageImage>(s_.page);
  if (s_.header)
    Emit(Layout(*s_.header, Pages() + 1), s_.header->at.topLeft());
  y_ = s_.detailArea.y();
  bandsOnPage_ = 0;
}

void Report::FinishPage() {
  if (!page_)
    return;
  if (s_.footer)
    Emit(Layout(*s_.footer, Pages() + 1), s_.footer->at.topLeft());
  const QString file =
      folder_->filePath(QStringLiteral("page%1.vxp").arg(Pages() + 1, 5, 10, QLatin1Char('0')));
  QString error;
  if (page_->Save(file, &error)) {
    files_.push_back(file);
    if (queue_)
      queue_->Append(file);
  } else {
    failure_ = QStringLiteral("page %1 could not be written to %2: %3").arg(Pages() + 1).arg(file, error);
  }
  page_.reset();
}

void Report::Print() {
  if (!open_ || failed())
    return;
  const Placed band = Layout(s_.detail, Pages() + 1);
  if (!page_)
    StartPage();
  else if (bandsOnPage_ > 0 && y_ + band.height > s_.detailArea.y() + s_.detailArea.height()) {
    FinishPage();
    StartPage();
  }
  Emit(band, QPoint(s_.detailArea.x(), y_));
  y_ += band.height;
  ++bandsOnPage_;
}

void Report::EndPage() {
  if (open_ && !failed())
    FinishPage();
}

bool Report::Close() {
  if (!open_)
    return !failed();
  if (!failed())
    FinishPage();
  bool ok = !failed();
  if (ok && (!queue_ || printPreviewed_) && !files_.empty())
    ok = PrintPageFiles(files_);
  folder_.reset();
  files_.clear();
  open_ = false;
  return ok;
}

} // namespace vx
