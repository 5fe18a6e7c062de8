#pragma once

#include "proxy/engine/autobrowse/bookmark_tree.h"

#include <functional>

namespace ql {

class TBookmarkFile;
class TBookmarkOutline;

// The engine's view (TBookmarkTree) of the Bookmarks window's tree: node n is the outline's
// item n + 1. A bookmark the pages add becomes the folder's last child and marks the out-basket
// stale; the save is the file's deferred save, and the repaint the one the window gives. The
// outline and the file are not owned and must outlive the view. GUI thread only.
class TOutlineBookmarkTree : public TBookmarkTree {
public:
  TOutlineBookmarkTree(TBookmarkOutline &outline, TBookmarkFile &file, std::function<void()> repaint);

  int Count() const override;
  TBMInfo &Info(int node) override;
  int Level(int node) const override;
  void AddLastChild(int folder, std::unique_ptr<TBMInfo> info) override;
  void SaveExtOutline() override;
  void Repaint() override;

private:
  TBookmarkOutline &outline_;
  TBookmarkFile &file_;
  std::function<void()> repaint_;
};

} // namespace ql
