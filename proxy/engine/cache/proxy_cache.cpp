#include "proxy/engine/cache/proxy_cache.h"

#include "proxy/engine/cache/cache_index_file.h"
#include "proxy/engine/cache/conversion_notice.h"
#include "proxy/engine/http/paths.h"
#include "proxy/platform/reg_ini_file.h"

#include <QFile>

#include <sys/statvfs.h>

namespace ql {

namespace {

// The file system's block for files in dir: what a body of one byte takes on the disk.
int64_t FileSystemBlock(const QString &dir) {
  struct statvfs facts {};
  if (::statvfs(QFile::encodeName(dir).constData(), &facts) != 0 || facts.f_frsize == 0)
    return 1;
  return static_cast<int64_t>(facts.f_frsize);
}

} // namespace

TProxyCache::TProxyCache(TRegIniFile &settings, TCacheLinks links)
    : settings_(settings), links_(std::move(links)), store_(index_, QString()) {
  TCacheJournal &journal = store_.Journal();
  journal.SetProblemHandlers([this](const QString &line) { Log(line); },
                             [this] {
                               if (links_.DiskFull)
                                 links_.DiskFull();
                               else
                                 Log(QStringLiteral("The disk is full"));
                             });
  journal.SetWake([this] {
    QMetaObject::invokeMethod(
        &receiver_, [this] { store_.Collect(); }, Qt::QueuedConnection);
  });
}

void TProxyCache::Log(const QString &line) const {
  if (links_.Log)
    links_.Log(line);
  else
    qWarning("%s", qUtf8Printable(line));
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
  const TCacheSettings settings = links_.Settings ? links_.Settings() : TCacheSettings();
  data_dir_ = FileSystemPath(settings.DataDirectory);
  store_.SetDataDir(data_dir_);
  store_.SetMaxCacheSize(settings.MaxCacheSize);
  store_.SetMaxCacheItemSize(settings.MaxCacheItemSize);
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
  // so that the cache lists only what it holds; after a crash, so do the bodies of stores whose
  // batch was not yet written.
  const TBodyMatch match =
      MatchBodiesAndEntries(index_, data_dir_, report.JournalMerged && !index_.LoadDamaged);
  if (match.EntriesDropped > 0)
    Log(QStringLiteral("%1 cache entries without a body file were dropped").arg(match.EntriesDropped));
  if (match.BodiesRemoved > 0)
    Log(QStringLiteral("%1 body files without a cache entry were removed").arg(match.BodiesRemoved));
  store_.Journal().Open(data_dir_);
  mimes_.LoadMimeTypes(data_dir_);
}

void TProxyCache::SaveCacheIndex() {
  TCacheSaveOptions options;
  options.CleanUpCounter =
      settings_.ReadInteger(QStringLiteral("General"), QStringLiteral("CleanUpCounter"), 0);
  options.OldFormatFound = old_format_found_;
  // The last batch goes as every batch does, and the journal is closed.
  store_.Close();
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
