// Feeds arbitrary bytes to the HTML scanners: the title reader and the link scanner (whose tag
// walker, word readers and URL resolution all run over the input). Checks the bounds they
// promise: a title of at most 100 characters and each found link non-empty and listed once.
#include "proxy/engine/html/html_links.h"
#include "proxy/engine/html/html_title.h"

#include <QSet>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace ql;
  const QByteArray html(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  if (ExtractTitleFromText(html).size() > kMaxTitleLength)
    std::abort();
  // The first line, when short, also serves as the page's own URL.
  const qsizetype newline = html.indexOf('\n');
  const QByteArray pageUrl =
      newline > 0 && newline < 300 ? html.left(newline) : QByteArray("http://h/a/b/p.html");
  const QList<QByteArray> links = ScanLinks(html, pageUrl);
  QSet<QByteArray> seen;
  for (const QByteArray &link : links) {
    if (link.isEmpty() || seen.contains(link))
      std::abort();
    seen.insert(link);
  }
  return 0;
}
