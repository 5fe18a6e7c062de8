// Feeds arbitrary bytes to the MIME table as MIMETYPE.DAT and checks what it loaded: the
// built-in names first and in place, every learned name within its bound, and each name's
// index leading back to a name of the same spelling.
#include "proxy/engine/cache/mime_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static QTemporaryDir dir;
  static const ql::TMimeTable builtIn;
  QFile file(QDir(dir.path()).filePath(ql::kMimeTypeFileName));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
  file.close();

  ql::TMimeTable table;
  table.LoadMimeTypes(dir.path());
  if (table.Count() < ql::TMimeTable::kBuiltInCount || table.MimeTypeName(0) != "text/plain" ||
      table.MimeTypeName(table.Count() + 1) != "text/plain")
    std::abort();
  for (int32_t i = 1; i <= table.Count(); ++i) {
    const QByteArray name = table.MimeTypeName(i);
    if (i <= ql::TMimeTable::kBuiltInCount && name != builtIn.MimeTypeName(i))
      std::abort();
    if (name.isEmpty() || name.size() > ql::TMimeTable::kMaxNameLength || name.contains('\n'))
      std::abort();
  }
  return 0;
}
