#include "proxy/engine/import/import_cache_file.h"

#include "proxy/engine/cache/cache_store.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/html/html_title.h"
#include "proxy/engine/http/text_routines.h"
#include "proxy/engine/http/url_split.h"
#include "proxy/engine/pages/proxy_pages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace ql {

namespace {

// Copies the body beside its final place in the data directory; the caller renames it.
bool CopyBeside(const QString &source, const QString &temp) {
  QFile::remove(temp);
  return QFile::copy(source, temp);
}

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
  const QFileInfo body(QDir(importDir).filePath(QFile::decodeName(name)));
  if (!body.isFile())
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
  if (body.size() > store.MaxCacheItemSize())
    return TImportOutcome::TooLarge;

  const QString temp = QDir(store.DataDir()).filePath(QStringLiteral("import.tmp"));
  if (!CopyBeside(body.filePath(), temp))
    return TImportOutcome::Failed;
  const qint64 size = QFileInfo(temp).size();
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
  store.TrimCache();
  return TImportOutcome::Imported;
}

} // namespace ql
