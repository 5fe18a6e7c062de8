#include "library/exchange/export/export_names.h"

#include "library/runtime/language/string_functions.h"

#include <QDir>
#include <QFileInfo>

namespace vx {

namespace {

// The position where the file part of `name` begins.
qsizetype FilePartStart(const QString &name) {
  return std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1;
}

} // namespace

QString WithDefaultExtension(const QString &name, const QString &type) {
  const qsizetype start = FilePartStart(name);
  if (name.indexOf(u'.', start) >= 0)
    return name;
  const QString extension = type.startsWith(u'H') ? QStringLiteral(".htm") : QStringLiteral(".txt");
  return name.left(start) + LOWER(CLIP(name.mid(start)) + extension);
}

FrameNames::FrameNames(const QString &mainName) {
  const qsizetype start = FilePartStart(mainName);
  const qsizetype dot = mainName.indexOf(u'.', start);
  base_ = dot >= 0 ? mainName.left(dot) : mainName;
  const int length = LEN(CLIP(base_.mid(start)));
  if (length > 7)
    base_.chop(1);
  else if (length < 7)
    base_ += u'_';
}

QString FrameNames::page(int k) const {
  const QString &stem = k > 9 ? base_.left(base_.size() - 1) : base_;
  return stem + QString::number(k) + QStringLiteral(".htm");
}

QString FileSystemPath(const QString &name) {
  QString path = name.trimmed();
  path.replace(u'\\', u'/');
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace vx
