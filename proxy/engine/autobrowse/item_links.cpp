#include "proxy/engine/autobrowse/item_links.h"

#include "proxy/engine/autobrowse/auto_item.h"
#include "proxy/engine/html/html_links.h"
#include "proxy/engine/html/html_title.h"

#include <QFileInfo>

namespace ql {

void ExtractLinks(TAutoItem &item, const QString &path,
                  const std::function<void(const QByteArray &link, TAutoItem &item)> &queue) {
  if (!QFileInfo::exists(path))
    return;
  const QList<QByteArray> links = ScanLinks(ReadScannedFile(path), item.URL);
  for (const QByteArray &link : links)
    queue(link, item);
}

} // namespace ql
