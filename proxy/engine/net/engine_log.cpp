#include "proxy/engine/net/engine_log.h"

namespace ql {

void TEngineLog::Add(const QString &line) {
  lines_.append(line);
  if (lines_.size() > kMaxLines) {
    lines_.clear();
  }
  emit lineAdded(line);
}

} // namespace ql
