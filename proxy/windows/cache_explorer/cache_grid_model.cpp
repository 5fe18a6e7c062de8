#include "proxy/windows/cache_explorer/cache_grid_model.h"

#include "proxy/engine/cache/cache_item.h"
#include "proxy/engine/cache/mime_table.h"
#include "proxy/engine/cache/watched_cache_list.h"
#include "proxy/engine/http/request_line.h"
#include "proxy/engine/http/url_parts.h"
#include "proxy/engine/net/engine_state.h"
#include "proxy/engine/search/filter_dates.h"

#include <QFont>
#include <QMimeData>
#include <QUrl>

namespace ql {

namespace {

constexpr qsizetype kHeadingCompared = 20;

QString EntryTypeName(uint8_t type) {
  switch (type) {
  case Normal:
    return QStringLiteral("Normal");
  case Preserved:
    return QStringLiteral("Preserved");
  case Auto:
    return QStringLiteral("Auto");
  default:
    return QString();
  }
}

bool Is(const QString &heading, const char *name) {
  return heading.left(kHeadingCompared) == QLatin1String(name);
}

} // namespace

TCacheGridModel::TCacheGridModel(TWatchedCacheList &view, const TMimeTable &mimes, QObject *parent)
    : QAbstractTableModel(parent), view_(view), mimes_(mimes) {}

void TCacheGridModel::SetHeadings(const QStringList &headings) {
  beginResetModel();
  headings_ = headings;
  endResetModel();
}

void TCacheGridModel::Reset() {
  beginResetModel();
  rows_ = std::max(1, static_cast<int>(view_.Count()));
  gone_.clear();
  endResetModel();
}

TCacheItem *TCacheGridModel::ItemAt(int row) const {
  return row < 0 ? nullptr : view_.At(static_cast<std::size_t>(row));
}

void TCacheGridModel::MarkGone(int row) {
  gone_.insert(row);
  RowEmptied(row);
}

void TCacheGridModel::RowEmptied(int row) {
  if (row >= 0 && row < rows_ && !headings_.isEmpty())
    emit dataChanged(index(row, 0), index(row, static_cast<int>(headings_.size()) - 1));
}

QString TCacheGridModel::CacheGridCellText(int col, int row) const {
  if (col < 0 || col >= headings_.size())
    return QString();
  if (row == 0)
    return headings_[col];
  const TCacheItem *item = ItemAt(row - 1);
  if (gone_.count(row - 1) != 0)
    return col == 0 ? QStringLiteral("This object is no longer in the cache") : QString();
  if (item == nullptr)
    return col == 0 && rows_ + 1 >= 3 ? QStringLiteral("This item is no longer available") : QString();
  const QString &heading = headings_[col];
  if (Is(heading, "URL"))
    return QString::fromUtf8(item->URL);
  if (Is(heading, "Title")) {
    const bool html = item->MimeIndex == TMimeTable::kTextHtml;
    if (html && !item->Title.isEmpty())
      return QString::fromUtf8(item->Title);
    if (html || EngineSettings.ShowFilenames)
      return QString::fromUtf8(UrlFileName(item->URL));
    return QString();
  }
  if (Is(heading, "Mime type"))
    return QString::fromLatin1(mimes_.MimeTypeName(item->MimeIndex));
  if (Is(heading, "Entry type"))
    return EntryTypeName(item->EntryType);
  if (Is(heading, "Last retrieved"))
    return DateToStr(item->Retrieved);
  if (Is(heading, "Last accessed"))
    return DateToStr(item->LastAccessed);
  if (Is(heading, "Hits"))
    return QString::number(item->Hits);
  if (Is(heading, "Length"))
    return QString::number(item->Length);
  return QString();
}

int TCacheGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TCacheGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant TCacheGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid())
    return {};
  if (role == Qt::DisplayRole)
    return CacheGridCellText(index.column(), index.row() + 1);
  if (role == Qt::FontRole && index.column() == 0) {
    const TCacheItem *item = ItemAt(index.row());
    if (item != nullptr && item->Seen == 0 && gone_.count(index.row()) == 0) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
  }
  return {};
}

QVariant TCacheGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
    return CacheGridCellText(section, 0);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TCacheGridModel::flags(const QModelIndex &index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && ItemAt(index.row()) != nullptr)
    flags |= Qt::ItemIsDragEnabled;
  return flags;
}

QStringList TCacheGridModel::mimeTypes() const {
  return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

// A row dragged out carries its URL (the port 80 left out) and its title, for the Bookmarks
// window to make a bookmark of.
QMimeData *TCacheGridModel::mimeData(const QModelIndexList &indexes) const {
  if (indexes.isEmpty())
    return nullptr;
  const TCacheItem *item = ItemAt(indexes.constFirst().row());
  if (item == nullptr)
    return nullptr;
  auto *data = new QMimeData;
  data->setUrls({QUrl::fromEncoded(NormalizeUrl(item->URL))});
  data->setText(QString::fromUtf8(item->Title.isEmpty() ? item->URL : item->Title));
  return data;
}

} // namespace ql
