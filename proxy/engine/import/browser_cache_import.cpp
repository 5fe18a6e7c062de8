#include "proxy/engine/import/browser_cache_import.h"

#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/list_progress.h"
#include "proxy/engine/import/cache_index_list.h"
#include "proxy/engine/import/hash_cache_index.h"
#include "proxy/engine/import/import_cache_file.h"
#include "proxy/engine/search/go_on_flag.h"

#include <QFile>
#include <QFileInfo>

namespace ql {

namespace {

constexpr int kLinesPerProgress = 5;
// The longest index line kept; the fields it holds are far shorter.
constexpr qsizetype kMaxLine = 65536;

class TImporter {
public:
  TImporter(TCacheStore &store, TMimeTable &mimes, const QString &indexPath, TListProgress *progress)
      : store_(store), mimes_(mimes), file_(indexPath), dir_(QFileInfo(indexPath).absolutePath()),
        progress_(progress) {}

  TImportReport Run() {
    if (!file_.open(QIODevice::ReadOnly)) {
      report_.Error = file_.errorString();
      return report_;
    }
    size_ = file_.size();
    const QByteArray start = file_.read(2 * kSmallIndexPage);
    if (start.left(10).toUpper() == "MCOM-CACHE" || start.left(10).toUpper() == "MOSAIC-COM") {
      file_.seek(0);
      ReadTextList();
    } else {
      ReadPages(HashCachePageSize(start));
    }
    return report_;
  }

private:
  // False once the import is to stop.
  bool Progress(qint64 done) {
    if (progress_ != nullptr && size_ > 0 && !progress_->ShowProgress(static_cast<int>(done * 100 / size_)))
      report_.Stopped = true;
    if (!GoOnFlag)
      report_.Stopped = true;
    return !report_.Stopped;
  }

  void Enter(const TIndexRecord &record) {
    switch (ImportCacheFile(store_, mimes_, dir_, record)) {
    case TImportOutcome::Imported:
      ++report_.Imported;
      break;
    case TImportOutcome::Present:
      ++report_.Present;
      break;
    case TImportOutcome::Missing:
      ++report_.Missing;
      break;
    case TImportOutcome::TooLarge:
      ++report_.TooLarge;
      break;
    case TImportOutcome::Refused:
      ++report_.Refused;
      break;
    case TImportOutcome::Failed:
      ++report_.Failed;
      break;
    }
  }

  // One line up to CR or LF (at most kMaxLine bytes kept); false at the end of the file.
  bool ReadIndexLine(QByteArray &line) {
    line.clear();
    char c = 0;
    bool any = false;
    while (file_.getChar(&c)) {
      any = true;
      if (c == '\r' || c == '\n')
        return true;
      if (line.size() < kMaxLine)
        line.append(c);
    }
    return any;
  }

  void ReadTextList() {
    QByteArray line;
    ReadIndexLine(line);
    int lines = 0;
    while (ReadIndexLine(line)) {
      if (line.isEmpty())
        continue;
      if (++lines % kLinesPerProgress == 0 && !Progress(file_.pos()))
        return;
      if (const auto record = ReadIndexListLine(line))
        Enter(*record);
    }
    if (file_.error() != QFileDevice::NoError)
      report_.Error = file_.errorString();
  }

  void ReadPages(std::size_t pageSize) {
    if (!file_.seek(static_cast<qint64>(pageSize)))
      return;
    QByteArray page(static_cast<qsizetype>(pageSize), '\0');
    for (;;) {
      const qint64 got = file_.read(page.data(), page.size());
      if (got < 0)
        report_.Error = file_.errorString();
      if (got <= 0)
        return;
      const TPageScan scan = ScanHashCachePage(page.constData(), static_cast<std::size_t>(got), pageSize);
      report_.Skipped += scan.Skipped;
      if (!Progress(file_.pos()))
        return;
      for (const TIndexRecord &record : scan.Records)
        Enter(record);
    }
  }

  TCacheStore &store_;
  TMimeTable &mimes_;
  QFile file_;
  QString dir_;
  TListProgress *progress_;
  qint64 size_ = 0;
  TImportReport report_;
};

} // namespace

TImportReport ImportBrowserCache(TCacheStore &store, TMimeTable &mimes, const QString &indexPath,
                                 TListProgress *progress) {
  GoOnFlag = true;
  const TImportReport report = TImporter(store, mimes, indexPath, progress).Run();
  store.Journal().Flush();
  return report;
}

} // namespace ql
