// Parses arbitrary bytes as a settings file, reads and writes an entry, and checks that
// what it writes parses back to the same value.
#include "library/runtime/data/ini_document.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  vx::IniDocument doc = vx::IniDocument::Parse(bytes);
  (void)doc.Value(QStringLiteral("Main"), QStringLiteral("Version"));
  (void)doc.Value(QStringLiteral("BrowseURL:K_Category"), QStringLiteral("?Browse:1"));
  if (doc.SetValue(QStringLiteral("BrowseURL:K_Category"), QStringLiteral("?Browse:1"),
                   QStringLiteral(" v ")) == vx::IniDocument::SetResult::BadName)
    std::abort();
  vx::IniDocument again = vx::IniDocument::Parse(doc.Serialize());
  if (again.Value(QStringLiteral("browseurl:k_category"), QStringLiteral("?BROWSE:1")) !=
      QStringLiteral(" v "))
    std::abort();
  return 0;
}
