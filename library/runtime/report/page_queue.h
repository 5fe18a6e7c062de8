#pragma once

#include <QString>
#include <vector>

namespace vx {

// The page queue of a report: the file names of its page images in page order, entry n
// holding page n. A report appends to it while the queue is attached; a preview only
// reads it. The queue holds names only: the files belong to the report that wrote them.
class PageQueue {
public:
  void Append(const QString &file) { files_.push_back(file); }
  int Records() const { return int(files_.size()); }
  // The file of page `page` (from 1); empty outside the queue.
  QString Get(int page) const {
    return page >= 1 && page <= Records() ? files_[std::size_t(page - 1)] : QString();
  }
  const std::vector<QString> &Files() const { return files_; }
  void Free() { files_.clear(); }

private:
  std::vector<QString> files_;
};

} // namespace vx
