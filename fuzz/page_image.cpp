// Reads arbitrary bytes as a report's page image file and checks that a page that parses
// writes out again to bytes that parse to the same page.
#include "library/runtime/report/page_image.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const std::optional<vx::PageImage> page = vx::PageImage::Parse(bytes);
  if (!page)
    return 0;
  const QByteArray written = page->Serialize();
  const std::optional<vx::PageImage> again = vx::PageImage::Parse(written);
  if (!again || again->Serialize() != written || again->Ops().size() != page->Ops().size())
    std::abort();
  return 0;
}
