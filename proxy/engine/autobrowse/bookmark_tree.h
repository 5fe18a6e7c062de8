#pragma once

#include <memory>
#include <stdexcept>

namespace ql {

class TBMInfo;

// The deepest level a bookmark tree may reach: the bookmark file stores a node's level in 16
// bits. Nothing may add or move a node below it.
constexpr int kMaxBookmarkLevel = 65535;

// The bookmark tree as the engine's pages and Autobrowse see it. The tree is held by the
// Bookmarks window; this is the narrow interface through which the engine reads it and adds
// to it.
//
// Nodes are numbered from 0 in tree (display) order, parents before their children. Each
// carries a TBMInfo that the tree owns. A node's level is 1 at the top of the tree; the
// children of a node are the nodes that follow it with a higher level, up to the next node
// whose level is the same or lower.
//
// The engine keeps no node number across a return to the event loop, since the tree may change
// in between. It keeps a TBMInfo reference only for the bookmark an Autobrowse run is working
// on; the tree must not delete a record while its Locked mark is set. GUI thread only.
class TBookmarkTree {
public:
  virtual ~TBookmarkTree() = default;

  virtual int Count() const = 0;
  // The record and the level of node 0 <= node < Count().
  virtual TBMInfo &Info(int node) = 0;
  virtual int Level(int node) const = 0;
  // Makes info the last child of the folder at node `folder`; the tree takes it. The folder
  // must lie above kMaxBookmarkLevel.
  virtual void AddLastChild(int folder, std::unique_ptr<TBMInfo> info) = 0;
  // The deferred save of the bookmark file (SaveExtOutline: it writes on every 16th call).
  virtual void SaveExtOutline() = 0;
  // Shows the marks that changed (locked, held, due).
  virtual void Repaint() = 0;
};

// The stand-in while the program has no bookmark tree: a tree without nodes.
class TNoBookmarkTreeYet : public TBookmarkTree {
public:
  int Count() const override { return 0; }
  TBMInfo &Info(int) override { throw std::out_of_range("the bookmark tree has no nodes"); }
  int Level(int) const override { return 1; }
  void AddLastChild(int, std::unique_ptr<TBMInfo>) override {}
  void SaveExtOutline() override {}
  void Repaint() override {}
};

} // namespace ql
