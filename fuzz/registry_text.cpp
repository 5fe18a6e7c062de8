// Feeds arbitrary bytes to the registry file parser and checks that whatever it accepts
// is written back in a form that parses to the same text.
#include "proxy/platform/registry_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  ql::RegistryRoots roots;
  QString error;
  if (!ql::ParseRegistryText(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)),
                             roots, error))
    return 0;
  const QByteArray text = ql::FormatRegistryText(roots);
  ql::RegistryRoots again;
  if (!ql::ParseRegistryText(text, again, error) || ql::FormatRegistryText(again) != text)
    std::abort();
  return 0;
}
