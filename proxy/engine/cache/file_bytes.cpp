#include "proxy/engine/cache/file_bytes.h"

namespace ql {

TFileBytes::TFileBytes(const QString &path) : file_(path) {
  if (file_.open(QIODevice::ReadOnly))
    Read();
}

TFileBytes::TFileBytes(int fd) {
  if (file_.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
    Read();
}

void TFileBytes::Read() {
  ok_ = true;
  size_ = static_cast<std::size_t>(file_.size());
  if (size_ == 0)
    return;
  if (uchar *mapped = file_.map(0, file_.size())) {
    data_ = reinterpret_cast<const char *>(mapped);
    return;
  }
  copy_ = file_.readAll();
  ok_ = static_cast<std::size_t>(copy_.size()) == size_;
  data_ = copy_.constData();
  size_ = static_cast<std::size_t>(copy_.size());
}

} // namespace ql
