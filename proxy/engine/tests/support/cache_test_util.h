#pragma once

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/journal_writer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

namespace ql::test {

inline TCacheItem MakeItem(int32_t id, const QByteArray &url, int32_t length = 100, uint8_t type = Normal) {
  TCacheItem item;
  item.ID = id;
  item.Status = 200;
  item.URL = url;
  item.Length = length;
  item.EntryType = type;
  item.LastModified = -1.0;
  item.LastAccessed = 46000.25;
  item.Retrieved = 46000.0;
  item.MimeIndex = 1;
  item.Title = "Title " + QByteArray::number(id);
  return item;
}

inline QByteArray ReadAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    file.write(bytes);
}

inline void AppendBytes(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Append))
    file.write(bytes);
}

inline void TouchBody(const QString &dir, const QString &name) {
  WriteBytes(QDir(dir).filePath(name), "body");
}

// True when the file system of dir makes files without a name (O_TMPFILE).
inline bool UnnamedFilesWork(const QString &dir) {
  const int fd = ::open(QFile::encodeName(dir).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

// True when no download is left in the TEMP directory: no download file, and whatever files
// stay there (spare files) are empty.
inline bool NoDownloadLeft(const QString &tempDir) {
  if (!QDir(tempDir).entryList({"*.adr"}, QDir::Files).isEmpty())
    return false;
  for (const QFileInfo &file : QDir(tempDir).entryInfoList(QDir::Files))
    if (file.size() != 0)
      return false;
  return true;
}

// Every journal write fails with an error while this lives (TJournalWriter::FailWritesForTest,
// which holds for the whole process), and none once it is gone, whatever assertion ends a test.
class TFailingJournalWrites {
public:
  explicit TFailingJournalWrites(int error) { TJournalWriter::FailWritesForTest(error); }
  ~TFailingJournalWrites() { TJournalWriter::FailWritesForTest(0); }
  TFailingJournalWrites(const TFailingJournalWrites &) = delete;
  TFailingJournalWrites &operator=(const TFailingJournalWrites &) = delete;
};

} // namespace ql::test
