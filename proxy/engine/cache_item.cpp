#include "proxy/engine/cache_item.h"

#include <QDir>

namespace ql {

QString BodyFileName(int32_t id) {
  return QString::number(id) + QStringLiteral(".ADL");
}

QString BodyFilePath(const QString &dataDir, int32_t id) {
  return QDir(dataDir).filePath(BodyFileName(id));
}

} // namespace ql
