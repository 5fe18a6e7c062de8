#include "proxy/engine/cache/proxy_cache.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/conversion_notice.h"
#include "proxy/engine/http/paths.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/net/network_window.h"
#include "proxy/platform/reg_ini_file.h"

#include <QFile>

#include <sys/statvfs.h>

namespace ql {

namespace {

// Problems with the cache files go to the engine log; the engine runs on.
void Log(const QString &line) {
  if (Form1 != nullptr)
    Form1->Log(line);
}

// The file system's block for files in dir: what a body of one byte takes on the disk.
int64_t FileSystemBlock(const QString &dir) {
  struct statvfs facts {};
  if (::statvfs(QFile::encodeName(dir).constData(), &facts) != 0 || facts.f_frsize == 0)
    return 1;
  return static_cast<int64_t>(facts.f_frsize);
}

} // namespace

TProxyCache::TProxyCache(TRegIniFile &settings) : settings_(settings), store_(index_, QString()) {
  TCacheJournal &journal = store_.Journal();
  journal.SetProblemHandlers(Log, [] {
    // The notice tells the user once; the journal waits from then on, as downloads do.
    if (Form1 != nullptr && !DiskFull)
      Form1->PostMessage(WM_DISKFULL, 0, 0);
  });
  journal.SetWake([this] {
    QMetaObject::invokeMethod(
        &receiver_, [this] { store_.Collect(); }, Qt::QueuedConnection);
  });
}

QString TProxyCache::SyncReport() const {
  const TSyncCost cost = store_.Journal().Cost();
  return QStringLiteral("Cache syncs: %1 bodies %2 ms, %3 journal batches %4 ms")
      .arg(cost.Bodies)
      .arg(cost.BodyNanos / 1000000)
      .arg(cost.Flushes)
      .arg(cost.JournalNanos / 1000000);
}

void TProxyCache::LoadCacheIndex() {
  data_dir_ = FileSystemPath(DataDirectory);
  store_.SetDataDir(data_dir_);
  store_.SetMaxCacheSize(EngineSettings.MaxCacheSize);
  store_.SetMaxCacheItemSize(EngineSettings.MaxCacheItemSize);
  const TCacheLoadReport report = ql::LoadCacheIndex(index_, data_dir_);
  for (const QString &problem : report.Problems)
    Log(problem);
  if (report.OldFormat) {
    ShowConversionNotice(data_dir_, old_format_found_);
    return;
  }
  // The size limit bounds the space the bodies take: each counts by whole blocks.
  index_.SetBlockSize(FileSystemBlock(data_dir_));
  // An entry whose body is gone (a crash came between its eviction and the journal) leaves now,
  // so that the cache lists only what it holds.
  const long dropped = DropEntriesWithoutBody(index_, data_dir_);
  if (dropped > 0)
    Log(QStringLiteral("%1 cache entries without a body file were dropped").arg(dropped));
  store_.Journal().Open(data_dir_);
  mimes_.LoadMimeTypes(data_dir_);
}

void TProxyCache::SaveCacheIndex() {
  TCacheSaveOptions options;
  options.CleanUpCounter =
      settings_.ReadInteger(QStringLiteral("General"), QStringLiteral("CleanUpCounter"), 0);
  options.OldFormatFound = old_format_found_;
  // Spare files are no longer made; what the worker was handed is done, and the journal closed.
  store_.FinishRemovals();
  store_.Journal().Close();
  const TCacheSaveReport report = ql::SaveCacheIndex(index_, data_dir_, options);
  if (!report.Error.isEmpty())
    Log(report.Error);
  if (report.CounterChanged) {
    try {
      settings_.WriteInteger(QStringLiteral("General"), QStringLiteral("CleanUpCounter"),
                             report.NewCleanUpCounter);
    } catch (const std::exception &) {
      // The counter only paces the clean-up; the index itself is saved.
    }
  }
}

} // namespace ql
