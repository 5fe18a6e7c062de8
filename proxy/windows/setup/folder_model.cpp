#include "proxy/windows/setup/folder_model.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace ql {

TFolderModel::TFolderModel(QObject *parent) : QAbstractItemModel(parent), root_(std::make_unique<TFolder>()) {
  root_->name = QStringLiteral("/");
}

TFolderModel::~TFolderModel() = default;

TFolderModel::TFolder *TFolderModel::FolderOf(const QModelIndex &index) const {
  return index.isValid() ? static_cast<TFolder *>(index.internalPointer()) : nullptr;
}

QModelIndex TFolderModel::IndexOf(TFolder *folder) const {
  return folder == nullptr ? QModelIndex() : createIndex(folder->row, 0, folder);
}

QString TFolderModel::PathOf(const TFolder *folder) const {
  QStringList names;
  for (const TFolder *at = folder; at != nullptr && at != root_.get(); at = at->parent)
    names.prepend(at->name);
  return QLatin1Char('/') + names.join(QLatin1Char('/'));
}

QString TFolderModel::PathOf(const QModelIndex &index) const {
  const TFolder *folder = FolderOf(index);
  return folder == nullptr ? QString() : PathOf(folder);
}

void TFolderModel::List(TFolder *folder) {
  folder->listed = true;
  // Names and kinds come from the directory itself (a status look-up at most, where the
  // directory does not say the kind); nothing in it is opened.
  const QStringList names =
      QDir(PathOf(folder))
          .entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
  if (names.isEmpty())
    return;
  beginInsertRows(IndexOf(folder), 0, static_cast<int>(names.size()) - 1);
  for (const QString &name : names) {
    auto child = std::make_unique<TFolder>();
    child->name = name;
    child->parent = folder;
    child->row = static_cast<int>(folder->children.size());
    folder->children.push_back(std::move(child));
  }
  endInsertRows();
}

QModelIndex TFolderModel::IndexOf(const QString &path) {
  const QString clean = QDir::cleanPath(path);
  if (!QDir::isAbsolutePath(clean) || !QFileInfo(clean).isDir())
    return {};
  TFolder *folder = root_.get();
  for (const QString &name : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    if (!folder->listed)
      List(folder);
    TFolder *next = nullptr;
    for (const auto &child : folder->children) {
      if (child->name == name) {
        next = child.get();
        break;
      }
    }
    if (next == nullptr)
      return {};
    folder = next;
  }
  return IndexOf(folder);
}

QModelIndex TFolderModel::index(int row, int column, const QModelIndex &parent) const {
  if (column != 0 || row < 0)
    return {};
  if (!parent.isValid())
    return row == 0 ? IndexOf(root_.get()) : QModelIndex();
  const TFolder *folder = FolderOf(parent);
  if (row >= static_cast<int>(folder->children.size()))
    return {};
  return IndexOf(folder->children[static_cast<std::size_t>(row)].get());
}

QModelIndex TFolderModel::parent(const QModelIndex &child) const {
  const TFolder *folder = FolderOf(child);
  return folder == nullptr ? QModelIndex() : IndexOf(folder->parent);
}

int TFolderModel::rowCount(const QModelIndex &parent) const {
  if (!parent.isValid())
    return 1;
  return parent.column() == 0 ? static_cast<int>(FolderOf(parent)->children.size()) : 0;
}

int TFolderModel::columnCount(const QModelIndex &) const {
  return 1;
}

bool TFolderModel::hasChildren(const QModelIndex &parent) const {
  if (!parent.isValid())
    return true;
  const TFolder *folder = FolderOf(parent);
  // A folder not listed yet may have subfolders; the view lists it when it is opened.
  return !folder->listed || !folder->children.empty();
}

bool TFolderModel::canFetchMore(const QModelIndex &parent) const {
  return parent.isValid() && !FolderOf(parent)->listed;
}

void TFolderModel::fetchMore(const QModelIndex &parent) {
  if (canFetchMore(parent))
    List(FolderOf(parent));
}

QVariant TFolderModel::data(const QModelIndex &index, int role) const {
  const TFolder *folder = FolderOf(index);
  if (folder == nullptr)
    return {};
  if (role == Qt::DisplayRole)
    return folder->name;
  if (role == Qt::DecorationRole)
    return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
  return {};
}

} // namespace ql
