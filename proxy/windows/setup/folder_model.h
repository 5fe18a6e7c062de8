#pragma once

#include <QAbstractItemModel>

#include <memory>
#include <vector>

namespace ql {

// The folders of the file system as a tree for Select Directory: one column, "/" at the top,
// each folder's subfolders (hidden ones too) sorted by name without regard to case. A folder is
// listed when the view first asks for its children, and only by reading its directory: no file
// is ever opened or read, so that a folder such as /proc, whose files may block a reader, never
// holds up the window. Only folders appear. GUI thread only.
class TFolderModel : public QAbstractItemModel {
public:
  explicit TFolderModel(QObject *parent = nullptr);
  ~TFolderModel() override;

  // The folder's index, its folders above listed on the way; invalid when path is not an
  // absolute path of an existing folder.
  QModelIndex IndexOf(const QString &path);
  // The folder's absolute path ("/" at the top).
  QString PathOf(const QModelIndex &index) const;

  QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  bool hasChildren(const QModelIndex &parent = {}) const override;
  bool canFetchMore(const QModelIndex &parent) const override;
  void fetchMore(const QModelIndex &parent) override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
  struct TFolder {
    QString name;
    TFolder *parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<TFolder>> children;
  };

  TFolder *FolderOf(const QModelIndex &index) const;
  QModelIndex IndexOf(TFolder *folder) const;
  QString PathOf(const TFolder *folder) const;
  void List(TFolder *folder);

  std::unique_ptr<TFolder> root_;
};

} // namespace ql
