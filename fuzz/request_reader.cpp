// Feeds arbitrary browser bytes to the request reader in pieces whose sizes come from the
// input, and checks the reader's bounds and the length a chunked body goes on with; a complete request's line
// then goes through the target check, which must leave no blank or control character in an accepted target.
// The body takes its room in a small budget, which never holds more than its bound and holds
// nothing once the reader is gone.
#include "proxy/engine/http/request_reader.h"
#include "proxy/engine/http/request_target.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::size_t kBudgetBound = 1 << 20;

void ReadRequest(const char *bytes, std::size_t n, std::size_t piece, ql::TBodyBudget &budget) {
  ql::TRequestReader reader(&budget);
  for (std::size_t at = 0; at < n; at += piece) {
    reader.Feed(bytes + at, at + piece <= n ? piece : n - at);
    if (budget.Held() > kBudgetBound) {
      std::abort();
    }
  }
  const ql::TRequestHeader &header = reader.Header();
  if (reader.HeaderText().size() > ql::TRequestReader::kHeaderRoom ||
      reader.Body().size() > ql::kMaxRequestBody ||
      (!header.chunked && reader.Body().size() > header.contentLength)) {
    std::abort();
  }
  // A chunked body that was read whole goes on with its own length.
  if (header.chunked && reader.Phase() == ql::TReadPhase::kComplete &&
      reader.Fault() == ql::THeaderFault::kNone &&
      (!header.hasLength || header.contentLength != reader.Body().size())) {
    std::abort();
  }
  if (reader.Phase() == ql::TReadPhase::kComplete && reader.Fault() == ql::THeaderFault::kNone) {
    QByteArray line = QByteArray::fromStdString(reader.Header().requestLine);
    if (ql::CheckRequestTarget(line)) {
      const QByteArray target = line.mid(line.indexOf(' ') + 1);
      for (const char c : target) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) {
          std::abort();
        }
      }
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) {
    return 0;
  }
  ql::TBodyBudget budget(kBudgetBound);
  ReadRequest(reinterpret_cast<const char *>(data + 1), size - 1, 1 + data[0] % 64, budget);
  if (budget.Held() != 0) {
    std::abort();
  }
  return 0;
}
