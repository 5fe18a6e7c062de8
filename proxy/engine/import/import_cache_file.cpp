#include "proxy/engine/import/import_cache_file.h"

#include "proxy/engine/cache/cache_key.h"
#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/html/html_title.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"

#include "proxy/platform/atomic_file.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

// The body file of an index record, opened for reading only when it is a regular file of the
// import directory itself: a symbolic link (which may lead anywhere) is refused, and a FIFO
// or device is neither waited for nor read.
class TBodyFile {
public:
  explicit TBodyFile(const QString &path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
      linked_ = errno == ELOOP;
      return;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
      Close();
      return;
    }
    size_ = info.st_size;
  }
  ~TBodyFile() { Close(); }
  TBodyFile(const TBodyFile &) = delete;
  TBodyFile &operator=(const TBodyFile &) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  bool IsLink() const { return linked_; }
  qint64 Size() const { return size_; }

  // Copies the body to a file made afresh at target, at most limit + 1 bytes of it (more is
  // too large anyway). Returns the bytes copied, or -1 when the copy failed.
  qint64 CopyTo(const QString &target, qint64 limit) {
    const int out = CreateNewFile(QFile::encodeName(target));
    if (out < 0)
      return -1;
    std::vector<char> buffer(64 * 1024);
    qint64 copied = 0;
    while (copied <= limit) {
      const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR)
        continue;
      if (got <= 0) {
        if (got < 0)
          copied = -1;
        break;
      }
      if (!WriteAll(out, buffer.data(), static_cast<std::size_t>(got))) {
        copied = -1;
        break;
      }
      copied += got;
    }
    if (::close(out) != 0)
      copied = -1;
    return copied;
  }

private:
  static bool WriteAll(int fd, const char *data, std::size_t size) {
    while (size > 0) {
      const ssize_t put = ::write(fd, data, size);
      if (put < 0 && errno == EINTR)
        continue;
      if (put <= 0)
        return false;
      data += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }

  void Close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  bool linked_ = false;
  qint64 size_ = 0;
};

} // namespace

QByteArray ImportFileName(const QByteArray &fileName) {
  const qsizetype cut = std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\'));
  QByteArray name = fileName.mid(cut + 1);
  if (name.isEmpty() || name == "." || name == ".." || name.contains('\0'))
    return {};
  return name;
}

TImportOutcome ImportCacheFile(TCacheStore &store, TMimeTable &mimes, const QString &importDir,
                               const TIndexRecord &record) {
  const QByteArray name = ImportFileName(record.FileName);
  if (name.isEmpty())
    return TImportOutcome::Refused;
  TBodyFile body(QDir(importDir).filePath(QFile::decodeName(name)));
  if (body.IsLink())
    return TImportOutcome::Refused;
  if (!body.IsOpen())
    return TImportOutcome::Missing;

  QByteArray rest = ShortText(record.Url);
  QByteArray host;
  UrlSplitHost(rest, host);
  if (host.isEmpty() || host == "NONE")
    return TImportOutcome::Refused;
  const int port = UrlSplitPort(rest);
  const QByteArray key = CacheKey(host, port, UrlSplitPath(rest));
  if (store.FindCacheItem(key, QByteArray(), kAutoMode) != nullptr)
    return TImportOutcome::Present;
  if (body.Size() > store.MaxCacheItemSize())
    return TImportOutcome::TooLarge;

  const QString temp = QDir(store.DataDir()).filePath(QStringLiteral("import.tmp"));
  const qint64 size = body.CopyTo(temp, store.MaxCacheItemSize());
  if (size < 0) {
    QFile::remove(temp);
    return TImportOutcome::Failed;
  }
  if (size > store.MaxCacheItemSize()) {
    QFile::remove(temp);
    return TImportOutcome::TooLarge;
  }
  TCacheIndex &index = store.Index();
  const int32_t id = index.NextCacheId();
  if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(store.BodyPath(id)).constData()) !=
      0) {
    QFile::remove(temp);
    return TImportOutcome::Failed;
  }

  TCacheItem item;
  item.ID = id;
  item.URL = key;
  item.Status = 200;
  item.LastModified = kNoDate;
  item.EntryType = Normal;
  item.Seen = 1;
  item.MimeIndex = mimes.MimeTypeIndex(record.ContentType);
  if (item.MimeIndex == TMimeTable::kTextHtml)
    item.Title = ShortText(ExtractTitle(store.BodyPath(id)));
  item.Retrieved = Now();
  item.LastAccessed = item.Retrieved;
  item.Length = static_cast<int32_t>(size);
  index.Put(std::move(item));
  // Journaled as a store is, its body synced with its batch; the evictions it makes go first.
  store.TrimCache();
  store.JournalCacheItem(id);
  return TImportOutcome::Imported;
}

} // namespace ql
