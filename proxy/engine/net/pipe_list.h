#pragma once

#include "proxy/platform/winsock.h"

#include <cstddef>
#include <iterator>
#include <list>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ql {

// An ordered list of connections that owns them, with an index by socket handle beside it so
// that the network window finds the connection of a socket notification without walking the
// list. Order is the order of arrival and is kept by every removal.
//
// A connection's Socket may be set after it was listed (an origin-side connection gets its
// socket once it is routed); such a connection waits on a short list of unindexed ones and
// joins the index the first time a lookup misses. A connection's socket is set at most once, and
// a connection leaves its list in the handler that closes its socket, while the socket layer
// gives a closed handle again only after that handler has returned; so a handle names at most
// one listed connection and its index entry stays valid while that connection is listed.
// Listing, finding and taking a connection cost the same with a thousand connections listed as
// with one. GUI thread only.
template <typename T> class TPipeList {
public:
  using Items = std::list<std::unique_ptr<T>>;

  // Lists a connection at the end.
  template <typename U> void push_back(std::unique_ptr<U> pipe) {
    T *raw = pipe.get();
    items_.push_back(std::move(pipe));
    places_.emplace(raw, std::prev(items_.end()));
    Index(raw);
  }

  // The listed connection whose Socket is socket, or nullptr.
  T *Find(SOCKET socket) {
    if (socket == INVALID_SOCKET) {
      return nullptr;
    }
    if (T *found = Indexed(socket)) {
      return found;
    }
    if (unindexed_.empty()) {
      return nullptr;
    }
    // Connections that were listed without a socket join the index once they have one.
    std::vector<T *> waiting;
    waiting.swap(unindexed_);
    for (T *pipe : waiting) {
      Index(pipe);
    }
    return Indexed(socket);
  }

  // Takes a connection off the list (keeping the others' order); nullptr when not listed.
  std::unique_ptr<T> Take(T *pipe) {
    const auto place = places_.find(pipe);
    if (place == places_.end()) {
      return nullptr;
    }
    std::unique_ptr<T> taken = std::move(*place->second);
    items_.erase(place->second);
    places_.erase(place);
    Unindex(pipe);
    return taken;
  }

  // Takes every connection off the list, in list order.
  Items TakeAll() {
    Items all;
    all.swap(items_);
    places_.clear();
    bySocket_.clear();
    unindexed_.clear();
    return all;
  }

  void clear() { TakeAll(); }
  bool empty() const { return items_.empty(); }
  std::size_t size() const { return items_.size(); }
  const std::unique_ptr<T> &front() const { return items_.front(); }
  const std::unique_ptr<T> &back() const { return items_.back(); }
  typename Items::const_iterator begin() const { return items_.begin(); }
  typename Items::const_iterator end() const { return items_.end(); }

private:
  T *Indexed(SOCKET socket) const {
    const auto it = bySocket_.find(socket);
    return it == bySocket_.end() ? nullptr : it->second;
  }

  void Index(T *pipe) {
    if (pipe->Socket == INVALID_SOCKET) {
      unindexed_.push_back(pipe);
      return;
    }
    bySocket_.emplace(pipe->Socket, pipe);
  }

  void Unindex(T *pipe) {
    const auto it = bySocket_.find(pipe->Socket);
    if (it != bySocket_.end() && it->second == pipe) {
      bySocket_.erase(it);
    } else {
      std::erase(unindexed_, pipe);
    }
  }

  Items items_;
  std::unordered_map<const T *, typename Items::iterator> places_;
  std::unordered_map<SOCKET, T *> bySocket_;
  std::vector<T *> unindexed_;
};

} // namespace ql
