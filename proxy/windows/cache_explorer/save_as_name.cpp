#include "proxy/windows/cache_explorer/save_as_name.h"

#include "proxy/engine/http/url_parts.h"

namespace ql {

namespace {

// The extension of a file name with its dot, as from its last "."; empty when none.
QString Extension(const QString &name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const qsizetype separator = name.lastIndexOf(QLatin1Char('/'));
  return dot > separator ? name.mid(dot) : QString();
}

} // namespace

QString ProposedSaveName(const QByteArray &url) {
  QString name = QString::fromLatin1(UrlFileName(StripQuery(url)));
  while (Extension(name).size() > 4)
    name.chop(1);
  const QString extension = Extension(name);
  const QString base = name.left(name.size() - extension.size());
  if (base.size() > 8)
    name = base.left(8) + extension;
  return name;
}

int SaveFilterIndex(const QString &name) {
  const QString extension = Extension(name).toLower();
  int index = 1;
  for (const char *known : {".htm", ".txt", ".gif", ".jpg"}) {
    if (extension == QLatin1String(known))
      return index;
    ++index;
  }
  return 5;
}

QString WithFilterExtension(const QString &path, int filterIndex) {
  if (!Extension(path).isEmpty())
    return path;
  static const char *const kExtensions[] = {".htm", ".txt", ".gif", ".jpg"};
  if (filterIndex < 1 || filterIndex > 4)
    return path;
  return path + QLatin1String(kExtensions[filterIndex - 1]);
}

} // namespace ql
