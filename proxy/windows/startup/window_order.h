#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace ql {

// Owns the program's windows from their creation to the end of the run: they are added in
// their creation order and freed in the reverse order (the last created first, the main
// window last). Each window is freed on its own: a failure while freeing one is reported on
// standard error and the others are still freed. GUI thread only.
class TWindowOrder {
public:
  TWindowOrder() = default;
  ~TWindowOrder() { FreeAll(); }
  TWindowOrder(const TWindowOrder &) = delete;
  TWindowOrder &operator=(const TWindowOrder &) = delete;

  // Takes the window; name identifies it in a report of a failed free.
  template <typename W> W &Add(const QString &name, std::unique_ptr<W> window) {
    W &added = *window;
    entries_.push_back({name, [owned = std::shared_ptr<W>(std::move(window))]() mutable { owned.reset(); }});
    return added;
  }

  // Frees every window, the last added first. Later calls do nothing.
  void FreeAll();

private:
  struct Entry {
    QString name;
    std::function<void()> free;
  };
  std::vector<Entry> entries_;
};

} // namespace ql
