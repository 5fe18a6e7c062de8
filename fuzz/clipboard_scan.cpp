// Scans arbitrary text as copied text for the clipboard monitor and checks every site found
// against what the monitor may store: the widths of the site record, an address that is
// never blank, holds ":" and is not a scheme alone, and no more sites than the text could
// hold.
#include "library/exchange/clipboard/clipboard_scan.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  const std::vector<vx::ClipboardSite> sites = vx::FindClipboardSites(text);
  if (sites.size() > size_t(vx::kClipboardTextLength))
    std::abort();
  for (const vx::ClipboardSite &site : sites) {
    if (site.location.isEmpty() || !site.location.contains(u':') || site.location.size() > 255 ||
        site.description.size() > 100 || site.category.size() > 30 || site.siteInfo.size() > 1000 ||
        site.keyword.size() > 10)
      std::abort();
    for (const char *scheme : {"http://", "https://", "ftp://"}) {
      if (site.location.compare(QLatin1String(scheme), Qt::CaseInsensitive) == 0)
        std::abort();
    }
  }
  return 0;
}
