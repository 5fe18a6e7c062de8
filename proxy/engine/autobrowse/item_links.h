#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace ql {

class TAutoItem;

// Scans the stored page of an Autobrowse item (the file at path), when it exists, for its
// links (ScanLinks, against the item's URL) and hands each with the item to queue, in
// document order.
void ExtractLinks(TAutoItem &item, const QString &path,
                  const std::function<void(const QByteArray &link, TAutoItem &item)> &queue);

} // namespace ql
