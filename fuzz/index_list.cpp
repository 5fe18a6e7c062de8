// Feeds arbitrary bytes, line by line, to the reader of a browser's text cache list and checks
// that every object it takes keeps within the bounds of the list's fields.
#include "proxy/engine/import/cache_index_list.h"

#include <QList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray text =
      QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  for (const QByteArray &line : text.split('\n')) {
    const std::optional<ql::TIndexRecord> record = ql::ReadIndexListLine(line);
    if (!record)
      continue;
    for (const QByteArray *field : {&record->Url, &record->FileName, &record->ContentType}) {
      for (const char c : *field) {
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
          std::abort();
      }
    }
    if (record->ContentType.size() > 50 || record->ContentType != record->ContentType.toLower())
      std::abort();
  }
  return 0;
}
