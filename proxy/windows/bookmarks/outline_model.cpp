#include "proxy/windows/bookmarks/outline_model.h"

#include "proxy/engine/http/dates.h"
#include "proxy/windows/cache_explorer/cache_form.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QStringDecoder>
#include <QStyle>

namespace ql {

namespace {

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
  return QApplication::style()->standardIcon(pixmap);
}

// The style's icons, made once: the outline asks for a row's icon each time it draws or
// measures the row.
const QIcon &FolderIcon() {
  static const QIcon icon = StandardIcon(QStyle::SP_DirClosedIcon);
  return icon;
}

const QIcon &OpenFolderIcon() {
  static const QIcon icon = StandardIcon(QStyle::SP_DirOpenIcon);
  return icon;
}

const QIcon &PageIcon() {
  static const QIcon icon = StandardIcon(QStyle::SP_FileIcon);
  return icon;
}

// A page with a small clock in its corner: a bookmark that Autobrowse fetches.
const QIcon &ScheduledIcon() {
  static const QIcon icon = [] {
    QPixmap pixmap = PageIcon().pixmap(16, 16);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 1));
    painter.setBrush(QColor(255, 255, 224));
    painter.drawEllipse(QRectF(7.5, 7.5, 8, 8));
    painter.drawLine(QPointF(11.5, 11.5), QPointF(11.5, 9));
    painter.drawLine(QPointF(11.5, 11.5), QPointF(13.5, 11.5));
    return QIcon(pixmap);
  }();
  return icon;
}

} // namespace

QString DisplayText(const QByteArray &bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

TOutlineModel::TOutlineModel(TBookmarkOutline &tree, QObject *parent)
    : QAbstractItemModel(parent), tree_(tree) {
  tree_.SetListener(this);
}

TOutlineModel::~TOutlineModel() {
  tree_.SetListener(nullptr);
}

TBookmarkNode *TOutlineModel::NodeOf(const QModelIndex &index) const {
  return index.isValid() ? static_cast<TBookmarkNode *>(index.internalPointer()) : nullptr;
}

QModelIndex TOutlineModel::IndexOf(const TBookmarkNode *node) const {
  if (node == nullptr)
    return {};
  return createIndex(node->Row(), 0, const_cast<TBookmarkNode *>(node));
}

QModelIndex TOutlineModel::index(int row, int column, const QModelIndex &parent) const {
  if (column != 0)
    return {};
  TBookmarkNode *child = tree_.Child(NodeOf(parent), row);
  return child == nullptr ? QModelIndex() : createIndex(row, 0, child);
}

QModelIndex TOutlineModel::parent(const QModelIndex &child) const {
  const TBookmarkNode *node = NodeOf(child);
  return node == nullptr ? QModelIndex() : IndexOf(node->Parent());
}

int TOutlineModel::rowCount(const QModelIndex &parent) const {
  if (parent.isValid() && parent.column() != 0)
    return 0;
  return tree_.ChildCount(NodeOf(parent));
}

int TOutlineModel::columnCount(const QModelIndex &) const {
  return 1;
}

QVariant TOutlineModel::data(const QModelIndex &index, int role) const {
  const TBookmarkNode *node = NodeOf(index);
  if (node == nullptr)
    return {};
  const TBMInfo &info = node->Info();
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    return DisplayText(info.Title);
  case Qt::DecorationRole:
    if (node->IsFolder())
      return node->Expanded ? OpenFolderIcon() : FolderIcon();
    return info.Scheduled || info.GetNextTime ? ScheduledIcon() : PageIcon();
  case Qt::ForegroundRole:
    if (info.Locked)
      return QColor(Qt::red);
    if (info.HasAutoEntries && !node->IsFolder())
      return QColor(Qt::blue);
    return {};
  case Qt::ToolTipRole:
    return node->IsFolder() ? QVariant() : QVariant(DisplayText(info.URL));
  default:
    return {};
  }
}

Qt::ItemFlags TOutlineModel::flags(const QModelIndex &index) const {
  Qt::ItemFlags flags = Qt::ItemIsDropEnabled;
  if (index.isValid())
    flags |= Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
  return flags;
}

QStringList TOutlineModel::mimeTypes() const {
  return {QLatin1String(kOutlineNodeMimeType), QLatin1String(kBookmarkMimeType),
          QStringLiteral("text/uri-list")};
}

QMimeData *TOutlineModel::mimeData(const QModelIndexList &indexes) const {
  const TBookmarkNode *node = indexes.isEmpty() ? nullptr : NodeOf(indexes.constFirst());
  if (node == nullptr)
    return nullptr;
  auto *data = new QMimeData;
  data->setData(QLatin1String(kOutlineNodeMimeType), QByteArray::number(tree_.ItemNumber(node)));
  if (!node->IsFolder()) {
    const TBMInfo &info = node->Info();
    data->setData(QLatin1String(kBookmarkMimeType),
                  QByteArray::number(info.SerialId) + ' ' + QByteArray::number(info.Generation));
  }
  return data;
}

Qt::DropActions TOutlineModel::supportedDropActions() const {
  return Qt::MoveAction | Qt::CopyAction;
}

void TOutlineModel::BeginInsert(TBookmarkNode *parent, int row) {
  beginInsertRows(IndexOf(parent), row, row);
}

void TOutlineModel::EndInsert() {
  endInsertRows();
}

void TOutlineModel::BeginRemove(TBookmarkNode *parent, int row) {
  beginRemoveRows(IndexOf(parent), row, row);
}

void TOutlineModel::EndRemove() {
  endRemoveRows();
}

void TOutlineModel::BeginMove(TBookmarkNode *from, int row, TBookmarkNode *to, int destination) {
  beginMoveRows(IndexOf(from), row, row, IndexOf(to), destination);
}

void TOutlineModel::EndMove() {
  endMoveRows();
}

void TOutlineModel::BeginReset() {
  beginResetModel();
}

void TOutlineModel::EndReset() {
  endResetModel();
}

void TOutlineModel::Changed(TBookmarkNode *node) {
  const QModelIndex at = IndexOf(node);
  emit dataChanged(at, at);
}

} // namespace ql
