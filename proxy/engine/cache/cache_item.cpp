#include "proxy/engine/cache/cache_item.h"

namespace ql {

QString BodyFileName(int32_t id) {
  return QString::number(id) + QStringLiteral(".ADL");
}

} // namespace ql
