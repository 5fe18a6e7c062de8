#pragma once

#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <QAbstractItemModel>

namespace ql {

// The drag format of a node dragged inside the outline: its item number.
inline constexpr char kOutlineNodeMimeType[] = "application/x-quenlark-outline-node";

// A title as the outline shows it: UTF-8 when the bytes are UTF-8, else Latin-1 (the bookmark
// files of earlier versions), so that no byte is lost to the display.
QString DisplayText(const QByteArray &bytes);

// The Bookmarks window's outline over the bookmark tree: one column, a row per node, the title
// as text. Folders show a folder (open while expanded), bookmarks a page, scheduled bookmarks a
// page with a clock; a bookmark with unread Autobrowse entries is blue, one that Autobrowse is
// fetching red. A dragged node carries its item number and, for a bookmark, its serial id and
// generation (kBookmarkMimeType) for the Cache Explorer. The model follows the tree as its
// listener from its creation to its destruction; the tree must outlive it. GUI thread only.
class TOutlineModel : public QAbstractItemModel, private TBookmarkOutlineListener {
public:
  explicit TOutlineModel(TBookmarkOutline &tree, QObject *parent = nullptr);
  ~TOutlineModel() override;

  TBookmarkNode *NodeOf(const QModelIndex &index) const;
  QModelIndex IndexOf(const TBookmarkNode *node) const;

  QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
  QModelIndex parent(const QModelIndex &child) const override;
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  QStringList mimeTypes() const override;
  QMimeData *mimeData(const QModelIndexList &indexes) const override;
  Qt::DropActions supportedDropActions() const override;

private:
  void BeginInsert(TBookmarkNode *parent, int row) override;
  void EndInsert() override;
  void BeginRemove(TBookmarkNode *parent, int row) override;
  void EndRemove() override;
  void BeginMove(TBookmarkNode *from, int row, TBookmarkNode *to, int destination) override;
  void EndMove() override;
  void BeginReset() override;
  void EndReset() override;
  void Changed(TBookmarkNode *node) override;

  TBookmarkOutline &tree_;
};

} // namespace ql
