#include "proxy/engine/bookmarks/bookmark_file.h"

#include "proxy/engine/bookmarks/bookmark_outline.h"
#include "proxy/engine/cache/conversion_notice.h"
#include "proxy/engine/http/file_sync.h"
#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace ql {

namespace {

constexpr char kAutoDat[] = "auto.dat";
constexpr char kAutoTmp[] = "auto.tmp";
constexpr char kAutoBak[] = "auto.bak";
constexpr char kDamagedSuffix[] = ".damaged";
// The largest bookmark file read: far above any tree a user keeps.
constexpr qint64 kMaxBookmarkFileSize = qint64(256) << 20;
// Calls of SaveExtOutline that only count, and writes between two backups.
constexpr int kDeferredCalls = 15;
constexpr int kWritesPerBackup = 9;

bool ReadWhole(const QString &path, QByteArray &bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBookmarkFileSize)
    return false;
  bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}

// Writes data to a new file at path and syncs it: whatever lay under the name (a link planted
// there among others) is removed first, never written through. False, with the file removed,
// when a step fails.
bool WriteSynced(const QString &path, const QByteArray &data) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = CreateNewFile(name);
  if (fd < 0)
    return false;
  bool ok = WriteAll(fd, data.constData(), static_cast<std::size_t>(data.size()));
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok)
    ::unlink(name.constData());
  return ok;
}

} // namespace

TBookmarkFile::TBookmarkFile(const QString &dataDirectory) : directory_(dataDirectory) {
  if (!directory_.isEmpty() && !directory_.endsWith(QLatin1Char('/')))
    directory_ += QLatin1Char('/');
}

TBookmarkRead TBookmarkFile::LoadExtOutline(TBookmarkOutline &tree) {
  tree.Clear();
  QByteArray bytes;
  const TBookmarkRead read =
      ReadWhole(PathOf(kAutoDat), bytes) ? ReadBookmarkFile(bytes, tree) : TBookmarkRead::Failed;
  countAtLastCall_ = tree.Count();
  return read;
}

bool TBookmarkFile::Load(TBookmarkOutline &tree) {
  const TBookmarkRead read = LoadExtOutline(tree);
  if (read == TBookmarkRead::OldFormat) {
    ShowConversionNotice(directory_, conversionFound_);
    held_ = true;
    return false;
  }
  bool loaded = read == TBookmarkRead::Loaded;
  if (!loaded) {
    const bool damaged = QFile::exists(PathOf(kAutoDat));
    const bool kept = !damaged || KeepDamaged();
    const bool companions = QFile::exists(PathOf(kAutoBak)) || QFile::exists(PathOf(kAutoTmp));
    loaded = kept && (LoadFrom(kAutoBak, tree) || LoadFrom(kAutoTmp, tree));
    if (!loaded && (damaged || companions)) {
      protect_ = true;
      revisionAtLoad_ = tree.Revision();
    }
  }
  if (loaded && !QFile::exists(PathOf(kAutoBak))) {
    QByteArray bytes;
    try {
      if (ReadWhole(PathOf(kAutoDat), bytes))
        WriteFileAtomically(PathOf(kAutoBak), bytes);
    } catch (const FileWriteError &e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
  return loaded;
}

bool TBookmarkFile::LoadFrom(const char *name, TBookmarkOutline &tree) {
  QByteArray bytes;
  if (!ReadWhole(PathOf(name), bytes))
    return false;
  tree.Clear();
  const bool read = ReadBookmarkFile(bytes, tree) == TBookmarkRead::Loaded;
  countAtLastCall_ = tree.Count();
  if (!read)
    return false;
  try {
    WriteFileAtomically(PathOf(kAutoDat), bytes);
  } catch (const FileWriteError &e) {
    // The tree is read; the next save writes auto.dat.
    std::fprintf(stderr, "%s\n", e.what());
  }
  return true;
}

bool TBookmarkFile::KeepDamaged() {
  const QString path = PathOf(kAutoDat);
  QString aside = path + QLatin1String(kDamagedSuffix);
  for (int n = 1; QFile::exists(aside) && n < 1000; ++n)
    aside = path + QLatin1String(kDamagedSuffix) + QLatin1Char('.') + QString::number(n);
  if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0) {
    std::fprintf(stderr, "The damaged bookmark file %s could not be kept aside\n", qPrintable(path));
    return false;
  }
  SyncDirectory(directory_);
  std::fprintf(stderr, "The damaged bookmark file was kept as %s\n", qPrintable(aside));
  return true;
}

void TBookmarkFile::SaveExtOutline(const TBookmarkOutline &tree) {
  // A change that added more than one node (an import) is too much to lose: it is written at
  // once, as the 16th call would be.
  const bool grew = tree.Count() > countAtLastCall_ + 1;
  countAtLastCall_ = tree.Count();
  if (grew)
    saveCalls_ = kDeferredCalls;
  if (saveCalls_ < kDeferredCalls) {
    ++saveCalls_;
    return;
  }
  saveCalls_ = 0;
  if (held_ || (protect_ && tree.Revision() == revisionAtLoad_))
    return;
  protect_ = false;
  const QByteArray bytes = WriteBookmarkFile(tree);
  if (!Write(bytes))
    return;
  if (++backupCount_ >= kWritesPerBackup) {
    backupCount_ = 0;
    try {
      WriteFileAtomically(PathOf(kAutoBak), bytes);
    } catch (const FileWriteError &e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
  }
}

void TBookmarkFile::SaveExtOutlineNoDelay(const TBookmarkOutline &tree) {
  saveCalls_ = kDeferredCalls;
  SaveExtOutline(tree);
}

bool TBookmarkFile::Write(const QByteArray &bytes) {
  QDir().mkpath(directory_);
  const QString temp = PathOf(kAutoTmp);
  if (!WriteSynced(temp, bytes) ||
      ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(PathOf(kAutoDat)).constData()) != 0) {
    std::fprintf(stderr, "The bookmark file %s could not be written: %s\n", qPrintable(PathOf(kAutoDat)),
                 std::strerror(errno));
    ::unlink(QFile::encodeName(temp).constData());
    return false;
  }
  SyncDirectory(directory_);
  return true;
}

} // namespace ql
