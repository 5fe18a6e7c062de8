#include "proxy/engine/bookmarks/outline_bookmark_tree.h"

#include "proxy/engine/autobrowse/outbasket_mark.h"
#include "proxy/engine/bookmarks/bookmark_file.h"
#include "proxy/engine/bookmarks/bookmark_outline.h"

#include <stdexcept>

namespace ql {

namespace {

TBookmarkNode &NodeOf(const TBookmarkOutline &outline, int node) {
  TBookmarkNode *found = outline.Item(node + 1);
  if (found == nullptr)
    throw std::out_of_range("no such node in the bookmark tree");
  return *found;
}

} // namespace

TOutlineBookmarkTree::TOutlineBookmarkTree(TBookmarkOutline &outline, TBookmarkFile &file,
                                           std::function<void()> repaint)
    : outline_(outline), file_(file), repaint_(std::move(repaint)) {}

int TOutlineBookmarkTree::Count() const {
  return outline_.Count();
}

TBMInfo &TOutlineBookmarkTree::Info(int node) {
  return NodeOf(outline_, node).Info();
}

int TOutlineBookmarkTree::Level(int node) const {
  return NodeOf(outline_, node).Level();
}

void TOutlineBookmarkTree::AddLastChild(int folder, std::unique_ptr<TBMInfo> info) {
  outline_.Append(&NodeOf(outline_, folder), std::move(info));
  OutbasketStale = true;
}

void TOutlineBookmarkTree::SaveExtOutline() {
  file_.SaveExtOutline(outline_);
}

void TOutlineBookmarkTree::Repaint() {
  if (repaint_)
    repaint_();
}

} // namespace ql
