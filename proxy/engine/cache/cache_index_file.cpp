#include "proxy/engine/cache/cache_index_file.h"

#include "proxy/engine/cache/cache_record.h"
#include "proxy/engine/cache/file_bytes.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace ql {
namespace {

constexpr qsizetype kWriteChunk = 1 << 20;

// Keeps the damaged file as path + ".damaged": a copy, or, when it cannot be read to copy,
// the file itself moved aside. False when neither worked: the file must then stay untouched.
bool KeepDamagedCopy(const QString &path, TCacheLoadReport &report) {
  const QString copy = path + QLatin1String(kDamagedSuffix);
  QFile::remove(copy);
  if (QFile::copy(path, copy))
    return true;
  if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(copy).constData()) == 0) {
    report.Problems << QStringLiteral("The unreadable file %1 was moved to %2").arg(path, copy);
    return true;
  }
  report.Problems << QStringLiteral("Could not keep a copy of the damaged file %1").arg(path);
  return false;
}

void NoteDamage(TCacheIndex &index, TCacheLoadReport &report, const QString &text) {
  index.LoadDamaged = true;
  report.Damaged = true;
  report.Problems << text;
}

// Cuts the journal at path back to size bytes, through no link: a file with a second name is
// refused (EMLINK) and left to the journal's writer.
bool CutJournal(const QString &path, std::size_t size) {
  const int fd = OpenForAppend(QFile::encodeName(path), O_WRONLY);
  if (fd < 0)
    return false;
  const bool cut = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  ::close(fd);
  return cut;
}

} // namespace

std::size_t ReadCacheRecords(TCacheIndex &index, const char *data, std::size_t size, TRecordRead *stop,
                             bool journal) {
  std::size_t pos = 0;
  *stop = TRecordRead::Ok;
  while (pos < size) {
    TCacheItem item;
    std::size_t used = 0;
    *stop = ReadCacheRecord(data + pos, size - pos, item, &used);
    if (*stop != TRecordRead::Ok)
      break;
    if (journal && item.EntryType == kRemovedEntry) {
      index.RaiseHighestCacheId(item.ID);
      index.Remove(item.ID);
    } else {
      index.Put(std::move(item));
    }
    pos += used;
  }
  return pos;
}

TCacheLoadReport LoadCacheIndex(TCacheIndex &index, const QString &dataDir) {
  TCacheLoadReport report;
  index.Clear();
  const QDir dir(dataDir);
  const QString path = dir.filePath(QLatin1String(kCacheFileName));
  if (QFileInfo::exists(path)) {
    const TFileBytes bytes(path);
    if (!bytes.ok()) {
      NoteDamage(index, report, QStringLiteral("Could not read %1").arg(path));
      index.KeepCacheFile = !KeepDamagedCopy(path, report);
    } else {
      const char *data = bytes.data();
      if (bytes.size() >= 2 && data[0] == 1 && static_cast<uint8_t>(data[1]) < 16) {
        report.OldFormat = true;
        return report;
      }
      const std::size_t start = std::min<std::size_t>(bytes.size(), 2);
      TRecordRead stop = TRecordRead::Ok;
      const std::size_t pos =
          start + ReadCacheRecords(index, data + start, bytes.size() - start, &stop, false);
      if (stop != TRecordRead::Ok) {
        NoteDamage(index, report, QStringLiteral("%1 is damaged at byte %2").arg(path).arg(pos));
        index.KeepCacheFile = !KeepDamagedCopy(path, report);
      }
    }
  } else if (!dir.exists() && !QDir().mkpath(dataDir)) {
    report.Problems << QStringLiteral("Could not create the data directory %1").arg(dataDir);
  }
  MergeCacheJournal(index, dataDir, report);
  index.JournalQueue().clear();
  index.ReleaseAllIds();
  return report;
}

TBodyMatch MatchBodiesAndEntries(TCacheIndex &index, const QString &dataDir, bool removeOrphans) {
  TBodyMatch match;
  DIR *dir = ::opendir(QFile::encodeName(dataDir).constData());
  if (dir == nullptr) {
    match.EntriesDropped = -1;
    return match;
  }
  // The IDs whose body file is there, read from the names "<ID>.ADL" as BodyFileName writes them.
  std::unordered_set<int32_t> bodies;
  bodies.reserve(index.Count());
  constexpr std::string_view kExtension = ".ADL";
  while (const dirent *entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (entry->d_type == DT_DIR || !name.ends_with(kExtension))
      continue;
    const std::string_view number = name.substr(0, name.size() - kExtension.size());
    int32_t id = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), id);
    if (error == std::errc() && end == number.data() + number.size() && number == std::to_string(id))
      bodies.insert(id);
  }
  ::closedir(dir);
  std::vector<int32_t> gone;
  index.ForEach([&](const TCacheItem &item) {
    if (bodies.erase(item.ID) == 0)
      gone.push_back(item.ID);
  });
  for (const int32_t id : gone)
    index.Remove(id);
  match.EntriesDropped = static_cast<long>(gone.size());
  if (removeOrphans) {
    const QDir data(dataDir);
    for (const int32_t id : bodies)
      match.BodiesRemoved += ::unlink(QFile::encodeName(data.filePath(BodyFileName(id))).constData()) == 0;
  }
  return match;
}

void MergeCacheJournal(TCacheIndex &index, const QString &dataDir, TCacheLoadReport &report) {
  const QString path = QDir(dataDir).filePath(QLatin1String(kJournalFileName));
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP)
      report.Problems << QStringLiteral("%1 is a symbolic link; it was not read").arg(path);
    else if (errno != ENOENT)
      NoteDamage(index, report, QStringLiteral("Could not read %1").arg(path));
    return;
  }
  struct stat facts {};
  if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
    ::close(fd);
    report.Problems << QStringLiteral("%1 is not a plain file; it was not read").arg(path);
    return;
  }
  report.JournalMerged = true;
  std::size_t pos = 0;
  TRecordRead last = TRecordRead::Ok;
  std::size_t size = 0;
  {
    const TFileBytes bytes(fd);
    if (bytes.ok()) {
      size = bytes.size();
      pos = ReadCacheRecords(index, bytes.data(), size, &last, true);
    }
    ::close(fd);
    if (!bytes.ok()) {
      NoteDamage(index, report, QStringLiteral("Could not read %1").arg(path));
      return;
    }
  }
  if (last == TRecordRead::Damaged) {
    NoteDamage(index, report, QStringLiteral("%1 is damaged at byte %2").arg(path).arg(pos));
    KeepDamagedCopy(path, report);
  } else if (last == TRecordRead::Truncated) {
    report.Problems
        << QStringLiteral("%1 ends in a torn record at byte %2; it was ignored").arg(path).arg(pos);
  }
  if (pos < size && !CutJournal(path, pos) && errno != EMLINK)
    report.Problems << QStringLiteral("Could not cut %1 back to its last whole record").arg(path);
}

TCacheSaveReport SaveCacheIndex(const TCacheIndex &index, const QString &dataDir,
                                const TCacheSaveOptions &options) {
  TCacheSaveReport report;
  if (options.OldFormatFound)
    return report;
  if (index.KeepCacheFile) {
    report.Error = QStringLiteral("The cache index was not saved: the damaged %1 could not be kept aside")
                       .arg(QDir(dataDir).filePath(QLatin1String(kCacheFileName)));
    return report;
  }
  const QDir dir(dataDir);
  const QString cachePath = dir.filePath(QLatin1String(kCacheFileName));
  const QString journalPath = dir.filePath(QLatin1String(kJournalFileName));
  const QString tempPath = dir.filePath(QLatin1String(kTempCacheFileName));
  const auto step = [&options](TCacheSaveStep s) {
    if (options.AfterStep)
      options.AfterStep(s);
  };

  if (index.IsEmpty()) {
    report.Saved = RemoveFileIfExists(cachePath);
    SyncDirectory(dataDir);
    if (!report.Saved)
      report.Error = QStringLiteral("Could not remove %1").arg(cachePath);
    return report;
  }

  const int counter = (options.CleanUpCounter % 10 + 10) % 10;
  report.NewCleanUpCounter = (counter + 1) % 10;
  const bool cleanUp = report.NewCleanUpCounter == 0 && !index.LoadDamaged;
  if (!dir.exists() && !QDir().mkpath(dataDir)) {
    report.Error = QStringLiteral("Could not create the data directory %1").arg(dataDir);
    return report;
  }

  const int fd = CreateNewFile(QFile::encodeName(tempPath));
  if (fd < 0) {
    report.Error = QStringLiteral("Could not create %1").arg(tempPath);
    return report;
  }
  QByteArray buffer;
  buffer.reserve(kWriteChunk + 8 * kMaxCacheTextLength);
  buffer.append('\x02');
  buffer.append('\x10');
  bool ok = WriteAll(fd, buffer.constData(), static_cast<std::size_t>(buffer.size()));
  buffer.clear();
  step(TCacheSaveStep::TempCreated);

  // Body file names by their lower-cased form, so that they match without regard to case.
  QHash<QString, QString> bodies;
  if (cleanUp) {
    const QStringList names = dir.entryList(QDir::Files, QDir::NoSort);
    for (const QString &name : names) {
      if (name.endsWith(QLatin1String(".adl"), Qt::CaseInsensitive))
        bodies.insert(name.toLower(), name);
    }
  }

  index.ForEach([&](const TCacheItem &item) {
    if (!ok)
      return;
    if (cleanUp && !bodies.remove(BodyFileName(item.ID).toLower())) {
      ++report.NotWritten;
      return;
    }
    if (!AppendCacheRecord(buffer, item))
      ++report.NotWritten;
    if (buffer.size() >= kWriteChunk) {
      ok = WriteAll(fd, buffer.constData(), static_cast<std::size_t>(buffer.size()));
      buffer.clear();
    }
  });
  ok = ok && WriteAll(fd, buffer.constData(), static_cast<std::size_t>(buffer.size()));
  step(TCacheSaveStep::EntriesWritten);
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    report.Error = QStringLiteral("Could not write %1").arg(tempPath);
    return report;
  }
  step(TCacheSaveStep::TempSynced);

  if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(cachePath).constData()) != 0) {
    report.Error = QStringLiteral("Could not rename %1 to %2").arg(tempPath, cachePath);
    return report;
  }
  step(TCacheSaveStep::Renamed);
  if (!SyncDirectory(dataDir)) {
    report.Error = QStringLiteral("Could not sync the data directory %1").arg(dataDir);
    return report;
  }
  step(TCacheSaveStep::DirectorySynced);
  report.Saved = true;
  report.CounterChanged = true;

  if (!RemoveFileIfExists(journalPath) || !SyncDirectory(dataDir)) {
    report.Error = QStringLiteral("Could not remove %1").arg(journalPath);
    return report;
  }
  step(TCacheSaveStep::JournalRemoved);

  if (cleanUp) {
    for (const QString &name : std::as_const(bodies))
      QFile::remove(dir.filePath(name));
    report.CleanedUp = true;
    step(TCacheSaveStep::OrphansRemoved);
  }
  return report;
}

} // namespace ql
