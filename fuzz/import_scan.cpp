// Scans arbitrary bytes as the lines of an import file, by the rule the first byte picks,
// and checks that every piece found fits its field and that no site is one the import
// must never add.
#include "library/exchange/import/import_scan.h"
#include "library/runtime/data/text_decode.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  const vx::ImportScanner::Rule rules[] = {vx::ImportScanner::Rule::Html,
                                           vx::ImportScanner::Rule::CommaDelimited,
                                           vx::ImportScanner::Rule::AnyText};
  const vx::ImportScanner::Rule rule = rules[data[0] % 3];
  vx::ImportScanner scanner(rule);
  std::vector<vx::ImportItem> items;
  QByteArrayView rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
  while (!rest.isEmpty()) {
    const qsizetype end = rest.indexOf('\n');
    const QByteArrayView line = end < 0 ? rest : rest.first(end);
    rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    items.clear();
    scanner.Scan(vx::DecodeText(line), items);
    for (const vx::ImportItem &item : items) {
      if (item.location.size() > 255 || item.description.size() > 100 || item.siteInfo.size() > 1000 ||
          item.guess.size() > 30 || item.rating < -99 || item.rating > 99)
        std::abort();
      if (item.kind != vx::ImportItem::Kind::Site)
        continue;
      if (item.location.isEmpty() || item.location.startsWith(u'#'))
        std::abort();
      if (rule != vx::ImportScanner::Rule::CommaDelimited && !item.location.contains(u':'))
        std::abort();
    }
  }
  return 0;
}
